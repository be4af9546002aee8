#include "cli/new_file.hpp"

#include <windows.h>

#include "cli/win32/system_message.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {

std::string WriteNewFile(const std::string& path, std::string_view text) {
    const std::u16string wide = FromUtf8(path);
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemMessage(GetLastError());
    std::size_t written = 0;
    while (written < text.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(file, text.data() + written, want, &n, nullptr) || n == 0) {
            const std::string why = SystemMessage(GetLastError());
            CloseHandle(file);
            return why;
        }
        written += n;
    }
    if (!FlushFileBuffers(file)) {
        const std::string why = SystemMessage(GetLastError());
        CloseHandle(file);
        return why;
    }
    CloseHandle(file);
    return {};
}

}  // namespace ferrowick::cli
