#pragma once
// [MS-CFB 2.6.4] The order of sibling names in a storage's red-black tree: a shorter name
// sorts first; names of equal length compare code unit by code unit after upper-casing.
#include <string_view>

namespace ferrowick::msg::cfb {

// Negative, zero or positive, like a three-way compare.
int CompareEntryNames(std::u16string_view a, std::u16string_view b);

// One UTF-16 code unit upper-cased as sibling names are compared: by the simple case foldings
// of Unicode's CaseFolding.txt read backwards, so a small letter becomes the capital that folds
// to it (Latin, Greek, Cyrillic, full-width Latin). A small letter that folds to another small
// letter (final sigma U+03C2 to U+03C3, long s U+017F to s, micro sign U+00B5 to U+03BC) has no
// such capital and stays as it is, as does dotless i U+0131, which folds to nothing. This is
// not fs::UpperCaseUnit, which maps final sigma to capital sigma for folder names.
char16_t UpperCaseForNames(char16_t c);

// Longest name a directory entry holds, without its terminating NUL.
inline constexpr std::size_t kMaxEntryNameLength = 31;

}  // namespace ferrowick::msg::cfb
