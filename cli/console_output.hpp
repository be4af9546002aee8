#pragma once
// Text for the terminal, always UTF-8 inside the program. On POSIX it is written as it is;
// on Windows a console gets it as UTF-16 (WriteConsoleW), whatever its code page, and a
// redirected stream as UTF-8 bytes.
#include <cstddef>
#include <cstdio>
#include <string_view>

namespace ferrowick::cli {

void WriteText(std::FILE* stream, std::string_view utf8);

// printf-style (the C99 conversions, %zu included, on Windows too), then WriteText.
#ifdef __MINGW32__
[[gnu::format(gnu_printf, 2, 3)]]
#else
[[gnu::format(printf, 2, 3)]]
#endif
void PrintTo(std::FILE* stream, const char* format, ...);

// Whether `stream` is an interactive terminal (a console on Windows; the NUL device is not).
bool IsTerminal(std::FILE* stream);

// The terminal's width in columns, 0 when `stream` is no terminal or it cannot be known.
std::size_t TerminalColumns(std::FILE* stream);

}  // namespace ferrowick::cli
