#pragma once
// The attribute word of a path: on Windows the file system's own (GetFileAttributes), on
// POSIX made from the item's status (posix/item_status.hpp says how); -1 (every bit set)
// when it cannot be read, with the error in LastError. A final symbolic link is not
// followed.
#include <cstdint>
#include <string_view>

namespace ferrowick::fs {

inline constexpr std::int32_t kInvalidAttributes = -1;

std::int32_t GetPathAttributes(std::u16string_view path);

}  // namespace ferrowick::fs
