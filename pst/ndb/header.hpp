#pragma once
// The Unicode file header and its ROOT [MS-PST 2.2.2.6 HEADER, 2.2.2.5 ROOT, 2.2.2.4 BREF].
#include <array>
#include <cstdint>
#include <span>

#include "pst/ndb/crypt_method.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

// BREF: a BID and where its page or block lies [MS-PST 2.2.2.4].
struct BlockRef {
    BlockId bid;
    FileOffset ib;
    auto operator<=>(const BlockRef&) const = default;
};

// ROOT [MS-PST 2.2.2.5].
struct Root {
    std::uint64_t ibFileEof = 0;
    FileOffset ibAMapLast;
    std::uint64_t cbAMapFree = 0;
    std::uint64_t cbPMapFree = 0;
    BlockRef nbt;  // BREFNBT
    BlockRef bbt;  // BREFBBT
    std::uint8_t fAMapValid = 0;
};

inline constexpr std::uint8_t kAMapValid = 0x02;  // VALID_AMAP2
inline constexpr std::size_t kHeaderSize = 564;   // Unicode
inline constexpr std::uint16_t kVersionUnicode = 23;
inline constexpr std::uint16_t kVersionClient = 19;

// What the first bytes of a file say it is, before any further check.
enum class FileKind { NotPst, Ansi, Unicode, Unicode4k };
FileKind ClassifyFile(std::span<const std::uint8_t> firstBytes);

struct Header {
    std::uint16_t wVer = kVersionUnicode;
    std::uint16_t wVerClient = kVersionClient;
    std::uint8_t bPlatformCreate = 0x01;
    std::uint8_t bPlatformAccess = 0x01;
    std::uint32_t dwReserved1 = 0, dwReserved2 = 0;
    BlockId bidNextP;
    std::uint32_t dwUnique = 0;
    std::array<std::uint32_t, 32> rgnid{};  // last NID index handed out, per NID type
    Root root;
    std::array<std::uint8_t, 128> rgbFM{};
    std::array<std::uint8_t, 128> rgbFP{};
    std::uint8_t bSentinel = 0x80;
    CryptMethod crypt = CryptMethod::Permute;
    BlockId bidNextB;
    // Read back only, so that a checker can tell what was on disk.
    std::uint32_t dwCRCPartial = 0, dwCRCFull = 0;
    std::uint32_t dwMagic = 0;
    std::uint16_t wMagicClient = 0;

    // A new file's header: counters at their documented start values.
    static Header Fresh(CryptMethod crypt);
    // Parses the 564 bytes; does not judge them (see Problems()).
    static Header Read(std::span<const std::uint8_t> bytes);
    // Writes the 564 bytes with both CRCs computed.
    void Write(std::span<std::uint8_t> out) const;
};

// CRCs over the bytes from wMagicClient on [MS-PST 2.2.2.6].
std::uint32_t HeaderPartialCrc(std::span<const std::uint8_t> headerBytes);
std::uint32_t HeaderFullCrc(std::span<const std::uint8_t> headerBytes);

}  // namespace ferrowick::pst
