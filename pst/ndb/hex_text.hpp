#pragma once
// Identifiers and offsets in messages read best in hexadecimal, as the format documents them.
#include <cstdint>
#include <cstdio>
#include <string>

namespace ferrowick::pst {

inline std::string Hex(std::uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

}  // namespace ferrowick::pst
