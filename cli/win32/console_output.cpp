#include "cli/console_output.hpp"

#include <windows.h>
#include <io.h>

#include <string>

namespace ferrowick::cli {
namespace {

// The console behind `stream`, or null when it goes to a file, a pipe or a device.
HANDLE ConsoleOf(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
    return handle;
}

// The progress bar redraws its line with "\r" and "erase to the end of the line" (ESC [ K):
// the console understands the escape once asked to; where it cannot, the escape is left out.
bool EscapesUnderstood(HANDLE console) {
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode)) return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace

void WriteText(std::FILE* stream, std::string_view utf8) {
    const HANDLE console = ConsoleOf(stream);
    if (!console) {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        return;
    }
    std::string text(utf8);
    if (!EscapesUnderstood(console))
        for (std::size_t at; (at = text.find("\x1b[K")) != std::string::npos;) text.erase(at, 3);
    std::fflush(stream);  // what the C runtime holds goes first
    const int n = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), n, wide.data(), n);
    for (int done = 0; done < length;) {
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(length - done), &written, nullptr) ||
            written == 0)
            break;
        done += static_cast<int>(written);
    }
}

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

std::size_t TerminalColumns(std::FILE* stream) {
    const HANDLE console = ConsoleOf(stream);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!console || !GetConsoleScreenBufferInfo(console, &info)) return 0;
    // The visible window, not the (often wider) buffer; the last column stays empty, or the
    // console would wrap the bar onto a new line.
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 1 ? static_cast<std::size_t>(columns - 1) : 0;
}

}  // namespace ferrowick::cli
