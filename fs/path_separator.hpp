#pragma once
// The separator of file-system paths on this platform. Path rules, listings and discovery
// all build paths with it, so a tree found on Linux reads "/home/me/Mail/a.msg".
#include <string>

namespace ferrowick::fs {

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

inline const std::u16string kPathSeparatorText(1, kPathSeparator);

}  // namespace ferrowick::fs
