#pragma once
// [MS-CFB 2.6.4] The order of sibling names in a storage's red-black tree: a shorter name
// sorts first; names of equal length compare code unit by code unit after upper-casing.
#include <string_view>

namespace ferrowick::msg::cfb {

// Negative, zero or positive, like a three-way compare.
int CompareEntryNames(std::u16string_view a, std::u16string_view b);

// The simple upper-case mapping of one UTF-16 code unit (Latin, Greek, Cyrillic, full-width
// Latin; other code units map to themselves).
char16_t UpperCaseForNames(char16_t c);

// Longest name a directory entry holds, without its terminating NUL.
inline constexpr std::size_t kMaxEntryNameLength = 31;

}  // namespace ferrowick::msg::cfb
