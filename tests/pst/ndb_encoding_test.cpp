// Permutation encoding of data blocks: the published table's first and last entries, a buffer
// encoded whole agreeing with its bytes encoded one by one at every length and alignment, and
// decoding undoing encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "pst/ndb/encoding.hpp"

namespace ferrowick::pst {
namespace {

std::uint8_t EncodeOne(std::uint8_t b) {
    EncodeBlockData(CryptMethod::Permute, {&b, 1});
    return b;
}

TEST(NdbEncoding, SingleBytesGiveThePublishedTable) {
    const std::uint8_t first[] = {0x41, 0x36, 0x13, 0x62, 0xA8, 0x21, 0x6E, 0xBB};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(EncodeOne(static_cast<std::uint8_t>(i)), first[i]) << i;
    const std::uint8_t last[] = {0x0D, 0xFE, 0xBA, 0x2F, 0xB5, 0xD0, 0xDA, 0x3D};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(EncodeOne(static_cast<std::uint8_t>(248 + i)), last[i]) << 248 + i;
}

TEST(NdbEncoding, WholeBuffersAgreeWithSingleBytesAndDecodeBack) {
    std::vector<std::uint8_t> plain(300);
    std::uint32_t seed = 7;
    for (std::uint8_t& b : plain) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    for (int i = 0; i < 256; ++i) plain[i] = static_cast<std::uint8_t>(i);  // every value once
    for (std::size_t offset : {0u, 1u, 5u, 31u}) {
        for (std::size_t n = 0; offset + n <= plain.size(); ++n) {
            std::vector<std::uint8_t> bytes(plain.begin() + offset, plain.begin() + offset + n);
            std::vector<std::uint8_t> copied(n, 0);
            EncodeBlockDataInto(CryptMethod::Permute, bytes, copied);
            EncodeBlockData(CryptMethod::Permute, bytes);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(bytes[i], EncodeOne(plain[offset + i]))
                    << "length " << n << " offset " << offset << " at " << i;
            ASSERT_EQ(copied, bytes) << "length " << n << " offset " << offset;
            DecodeBlockData(CryptMethod::Permute, bytes);
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), plain.begin() + offset)) << "length " << n;
        }
    }
}

TEST(NdbEncoding, NoEncodingLeavesBytesAsTheyAre) {
    std::vector<std::uint8_t> bytes(100, 0x5A);
    EncodeBlockData(CryptMethod::None, bytes);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(100, 0x5A));
    std::vector<std::uint8_t> copied(100, 0);
    EncodeBlockDataInto(CryptMethod::None, bytes, copied);
    EXPECT_EQ(copied, bytes);
}

}  // namespace
}  // namespace ferrowick::pst
