#pragma once
// A property value too large to hold whole: it knows its size and is read in pieces, so a
// reader can hand it to a writer that copies it through a small buffer.
#include <cstdint>
#include <span>

namespace ferrowick::mapi {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual std::uint64_t Size() const = 0;
    // Throws when the bytes cannot be read (a damaged or changed source).
    virtual void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

}  // namespace ferrowick::mapi
