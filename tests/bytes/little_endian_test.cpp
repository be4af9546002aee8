// Little-endian loads, stores and appends against byte patterns written out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "bytes/little_endian.hpp"

namespace ferrowick::le {
namespace {

TEST(LittleEndian, LoadsTakeTheLowByteFirstAtAnyOffset) {
    const std::array<std::uint8_t, 11> b{0xAA, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0xFF, 0x80};
    EXPECT_EQ(LoadU16(b.data() + 1), 0xCDEFu);
    EXPECT_EQ(LoadU32(b.data() + 1), 0x89ABCDEFu);
    EXPECT_EQ(LoadU64(b.data() + 1), 0x0123456789ABCDEFull);
    // High bits set in every byte: no sign extension and no bits lost above 32.
    EXPECT_EQ(LoadU16(b.data() + 9), 0x80FFu);
    const std::array<std::uint8_t, 8> all{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadU32(all.data()), 0xFFFFFFFFu);
    EXPECT_EQ(LoadU64(all.data()), 0xFFFFFFFFFFFFFFFFull);
}

TEST(LittleEndian, StoresWriteOnlyTheirOwnBytes) {
    std::array<std::uint8_t, 16> b{};
    b.fill(0x5A);
    StoreU16(b.data() + 1, 0xBEEF);
    StoreU32(b.data() + 3, 0xDEADBEEF);
    StoreU64(b.data() + 7, 0x1122334455667788ull);
    const std::array<std::uint8_t, 16> want{0x5A, 0xEF, 0xBE, 0xEF, 0xBE, 0xAD, 0xDE, 0x88,
                                            0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x5A};
    EXPECT_EQ(b, want);
}

TEST(LittleEndian, AppendsMatchStoresAndLoadsReadThemBack) {
    Bytes out{0x01};
    AppendU16(out, 0x0302);
    AppendU32(out, 0x07060504);
    AppendU64(out, 0x0F0E0D0C0B0A0908ull);
    ASSERT_EQ(out.size(), 15u);
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], i + 1) << "byte " << i;
    EXPECT_EQ(LoadU16(out.data() + 1), 0x0302u);
    EXPECT_EQ(LoadU32(out.data() + 3), 0x07060504u);
    EXPECT_EQ(LoadU64(out.data() + 7), 0x0F0E0D0C0B0A0908ull);
}

}  // namespace
}  // namespace ferrowick::le
