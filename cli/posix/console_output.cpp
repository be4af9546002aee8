#include "cli/console_output.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

namespace ferrowick::cli {

void WriteText(std::FILE* stream, std::string_view utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stream); }

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

std::size_t TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (IsTerminal(stream) && ::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0) return size.ws_col;
    return 0;
}

}  // namespace ferrowick::cli
