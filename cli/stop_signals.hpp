#pragma once
// The numbers of the requests to stop, as POSIX numbers them (Windows' C runtime gives
// SIGINT and SIGTERM the same ones). On Windows, Ctrl-Break is SIGBREAK, and closing the
// console, logging off or shutting down count as SIGHUP: the terminal went away.
// A run they stop ends with 128 + the number on both platforms.
namespace ferrowick::cli {

inline constexpr int kSignalHangUp = 1;
inline constexpr int kSignalInterrupt = 2;
inline constexpr int kSignalTerminate = 15;
inline constexpr int kSignalBreak = 21;

}  // namespace ferrowick::cli
