#include "cli/win32/system_message.hpp"

#include <windows.h>

#include "fs/text.hpp"

namespace ferrowick::cli {

std::string SystemMessage(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message = n > 0 ? std::u16string(reinterpret_cast<const char16_t*>(text), n) : std::u16string();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u'.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : ToUtf8(message);
}

}  // namespace ferrowick::cli
