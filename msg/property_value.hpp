#pragma once
// A property's value: one alternative per property type [MS-OXCDATA 2.11.1]. Types whose
// values share a C++ representation get their own wrapper, so the type follows from the value.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "msg/guid.hpp"
#include "msg/property_tag.hpp"

namespace ferrowick::msg {

struct Currency {
    std::int64_t value = 0;  // in ten-thousandths
    auto operator<=>(const Currency&) const = default;
};
struct FloatingTime {
    double value = 0;  // days since 30 December 1899
    auto operator<=>(const FloatingTime&) const = default;
};
struct ErrorCode {
    std::uint32_t value = 0;
    auto operator<=>(const ErrorCode&) const = default;
};
struct FileTime {
    std::uint64_t value = 0;  // 100-ns intervals since 1 January 1601 UTC
    auto operator<=>(const FileTime&) const = default;
};
struct Binary {
    std::vector<std::uint8_t> bytes;
    auto operator<=>(const Binary&) const = default;
};
// 8-bit text in its file's code page. The reader decodes every 8-bit string to a Unicode one;
// this form exists so a writer can still produce such files.
struct String8 {
    std::string bytes;
    auto operator<=>(const String8&) const = default;
};

using PropertyValue = std::variant<                                  //
    std::int16_t, std::int32_t, float, double, Currency, FloatingTime, ErrorCode, bool, std::int64_t,
    String8, std::u16string, FileTime, Guid, Binary,                 //
    std::vector<std::int16_t>, std::vector<std::int32_t>, std::vector<float>, std::vector<double>,
    std::vector<Currency>, std::vector<FloatingTime>, std::vector<std::int64_t>, std::vector<String8>,
    std::vector<std::u16string>, std::vector<FileTime>, std::vector<Guid>, std::vector<Binary>>;

// The property type a value is written as.
PropertyType TypeOf(const PropertyValue& value);

}  // namespace ferrowick::msg
