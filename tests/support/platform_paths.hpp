#pragma once
// Paths as this platform writes them. Tests spell examples with "/" and compare them with
// what the core builds with the platform's separator ("\" on Windows).
#include <string>

#include "fs/path_separator.hpp"

namespace ferrowick::testing {

inline const std::u16string kSep = fs::kPathSeparatorText;
inline const std::string kSep8(1, static_cast<char>(fs::kPathSeparator));

// `text` with each "/" replaced by this platform's separator.
inline std::u16string PlatformPath(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'/') c = fs::kPathSeparator;
    return text;
}
inline std::string PlatformPath(std::string text) {
    for (char& c : text)
        if (c == '/') c = kSep8[0];
    return text;
}

}  // namespace ferrowick::testing
