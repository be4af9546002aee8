#pragma once
// The attribute word of a path (see item_status.hpp for the bits); -1 (every bit set) when
// it cannot be read, with the errno in LastError. A final symbolic link is not followed.
#include <cstdint>
#include <string_view>

namespace ferrowick::fs {

inline constexpr std::int32_t kInvalidAttributes = -1;

std::int32_t GetPathAttributes(std::u16string_view path);

}  // namespace ferrowick::fs
