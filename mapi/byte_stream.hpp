#pragma once
// A property value too large to hold whole: it knows its size and is read in pieces, so a
// reader can hand it to a writer that copies it through a small buffer.
#include <cstdint>
#include <map>
#include <memory>
#include <span>

namespace ferrowick::mapi {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual std::uint64_t Size() const = 0;
    // Throws when the bytes cannot be read (a damaged or changed source).
    virtual void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Values of one object held as streams, by property ID; the object's property set keeps an
// empty value of the same type in their place.
using StreamedValues = std::map<std::uint16_t, std::shared_ptr<const ByteStream>>;

}  // namespace ferrowick::mapi
