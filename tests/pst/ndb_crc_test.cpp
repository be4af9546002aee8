// The block, page and header CRC: the published table's entries, agreement with the
// bit-by-bit definition at every length and alignment, chaining through the seed, and the
// CRCs in the headers of stores Outlook wrote.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "pst/ndb/crc.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::pst {
namespace {

// Reflected CRC-32, polynomial 0xEDB88320, no inversion before or after: one bit at a time.
std::uint32_t BitwiseCrc(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (0xEDB88320u ^ (crc >> 1)) : (crc >> 1);
    }
    return crc;
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint32_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::uint8_t& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return out;
}

TEST(NdbCrc, SingleBytesGiveThePublishedTableEntries) {
    const std::uint8_t one = 0x01, high = 0x80, last = 0xFF;
    EXPECT_EQ(ComputeCrc({&one, 1}), 0x77073096u);
    EXPECT_EQ(ComputeCrc({&high, 1}), 0xEDB88320u);
    EXPECT_EQ(ComputeCrc({&last, 1}), 0x2D02EF8Du);
    EXPECT_EQ(ComputeCrc({}), 0u);
    EXPECT_EQ(ComputeCrc({}, 0x12345678u), 0x12345678u);  // nothing to add: the seed comes back
}

TEST(NdbCrc, AgreesWithTheBitwiseDefinitionAtEveryLengthAndAlignment) {
    const std::vector<std::uint8_t> data = Bytes(8192 + 64, 7);
    for (std::size_t offset = 0; offset < 8; ++offset)
        for (std::size_t n : {0u, 1u, 3u, 7u, 8u, 15u, 16u, 31u, 63u, 64u, 65u, 255u, 471u, 496u, 516u, 8176u})
            ASSERT_EQ(ComputeCrc({data.data() + offset, n}), BitwiseCrc(data.data() + offset, n))
                << "length " << n << " at offset " << offset;
}

TEST(NdbCrc, TheSeedContinuesAnEarlierCrc) {
    const std::vector<std::uint8_t> data = Bytes(5000, 11);
    const std::uint32_t whole = ComputeCrc(data);
    for (std::size_t cut : {0u, 1u, 100u, 4096u, 4999u, 5000u}) {
        const std::span<const std::uint8_t> all(data);
        EXPECT_EQ(ComputeCrc(all.subspan(cut), ComputeCrc(all.first(cut))), whole) << "cut at " << cut;
    }
    EXPECT_EQ(ComputeCrc(data, 0xFFFFFFFFu), BitwiseCrc(data.data(), data.size(), 0xFFFFFFFFu));
}

TEST(NdbCrc, MatchesTheHeaderCrcsOfStoresOutlookWrote) {
    FERROWICK_REQUIRE_CORPUS();
    int checked = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(testing::CorpusDir() / "pst")) {
        if (!e.is_regular_file() || e.path().extension() != ".pst") continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::vector<std::uint8_t> h(528);
        if (!in.read(reinterpret_cast<char*>(h.data()), static_cast<std::streamsize>(h.size()))) continue;
        const auto le32 = [&](std::size_t at) {
            return std::uint32_t(h[at]) | std::uint32_t(h[at + 1]) << 8 | std::uint32_t(h[at + 2]) << 16 |
                   std::uint32_t(h[at + 3]) << 24;
        };
        const std::uint16_t version = static_cast<std::uint16_t>(h[10] | h[11] << 8);
        if (version < 23) continue;  // the Unicode header only
        const std::span<const std::uint8_t> bytes(h);
        EXPECT_EQ(ComputeCrc(bytes.subspan(8, 471)), le32(4)) << e.path();    // dwCRCPartial
        EXPECT_EQ(ComputeCrc(bytes.subspan(8, 516)), le32(524)) << e.path();  // dwCRCFull
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no Unicode store in the corpus";
}

}  // namespace
}  // namespace ferrowick::pst
