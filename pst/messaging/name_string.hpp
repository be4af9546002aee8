#pragma once
// The string stream of the name-to-ID map [MS-PST 2.4.7.4]: the names of string-named
// properties, one entry each, a 32-bit byte length followed by the name in UTF-16LE, padded to
// a multiple of 4 bytes. A NAMEID of the entry stream points at its entry by offset.
#include <cstddef>
#include <cstdint>
#include <string>

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

struct NameString {
    static constexpr std::size_t kLengthSize = 4;  // the byte length before the name
    static constexpr std::size_t kAlignment = 4;   // every entry starts and ends on this boundary

    std::u16string name;  // stored as its byte length, then its UTF-16LE code units, no terminator

    // The bytes an entry for a name of `units` UTF-16 code units takes, padding included.
    static constexpr std::size_t SizeFor(std::size_t units) {
        return (kLengthSize + 2 * units + kAlignment - 1) / kAlignment * kAlignment;
    }
    // The entry at `offset` of `stream`. Throws PstError (corrupt structure) for an offset off
    // the 4-byte grid, an odd byte length, or an entry that runs past the stream's end.
    static NameString Read(le::ByteView stream, std::uint32_t offset);
    // Appends the entry and its padding to `stream`, which must end on the 4-byte grid, and
    // returns the offset it starts at. Throws PstError (limit exceeded) when the stream would
    // outgrow the 32-bit offsets and lengths the format has.
    std::uint32_t AppendTo(le::Bytes& stream) const;
    // The name as the stream stores it; string names are hashed over these bytes.
    le::Bytes NameBytes() const;
    bool operator==(const NameString&) const = default;
};

}  // namespace ferrowick::pst
