#include "fs/path_attributes.hpp"

#include <windows.h>

#include "fs/last_error.hpp"
#include "fs/win32/api_support.hpp"
#include "fs/win32/system_names.hpp"

namespace ferrowick::fs {

std::int32_t GetPathAttributes(std::u16string_view path) {
    ::SetLastError(0);
    const DWORD attributes = win32::Api().WideAttributes ? GetFileAttributesW(win32::WidePath(path).c_str())
                                                         : GetFileAttributesA(win32::AnsiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        RecordLastError();
        return kInvalidAttributes;
    }
    SetLastError(0);
    return static_cast<std::int32_t>(attributes);
}

}  // namespace ferrowick::fs
