// Reading small streams, which live in the mini stream 64 bytes a sector: any offset and
// length of a stream whose mini sectors follow one another, and a stream whose chain jumps
// back and forth, which must come out in the chain's order, not the file's.
#include <gtest/gtest.h>

#include <vector>

#include "bytes/little_endian.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/writer.hpp"

namespace ferrowick::msg::cfb {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t salt) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(i * 7 + salt + i / 64);
    return out;
}

TEST(CfbStreamReader, SmallStreamsReadAtAnyOffsetAndLength) {
    CompoundFileWriter w;
    const std::vector<std::uint8_t> data = Pattern(1000, 3);
    w.AddStream(CompoundFileWriter::kRoot, u"small", data);
    const CompoundFile file = CompoundFile::FromBytes(w.Finish());
    const StreamReader stream = file.OpenStream(*file.Find(file.Root(), u"small"));
    ASSERT_EQ(stream.ReadAll(), data);
    for (std::size_t offset = 0; offset < data.size(); offset += 13) {
        for (std::size_t n : {1u, 50u, 63u, 64u, 65u, 128u, 129u, 500u, 1000u}) {
            if (offset + n > data.size()) continue;
            std::vector<std::uint8_t> out(n);
            stream.ReadAt(offset, out);
            ASSERT_TRUE(std::equal(out.begin(), out.end(), data.begin() + static_cast<std::ptrdiff_t>(offset)))
                << "offset " << offset << " length " << n;
        }
    }
}

TEST(CfbStreamReader, AMiniChainOutOfFileOrderIsReadInChainOrder) {
    CompoundFileWriter w;
    const std::vector<std::uint8_t> a = Pattern(130, 1);  // mini sectors 0, 1, 2
    w.AddStream(CompoundFileWriter::kRoot, u"a", a);
    auto bytes = w.Finish();
    const std::size_t sector = 512;
    const std::uint32_t miniFat = le::LoadU32(&bytes[0x3C]);
    const std::uint32_t directory = le::LoadU32(&bytes[0x30]);
    const std::uint32_t miniStream = le::LoadU32(&bytes[(directory + 1) * sector + 0x74]);
    const std::size_t miniFatAt = (miniFat + 1) * sector;
    ASSERT_EQ(le::LoadU32(&bytes[miniFatAt + 0]), 1u);  // as written: 0 -> 1 -> 2 -> end
    ASSERT_EQ(le::LoadU32(&bytes[miniFatAt + 4]), 2u);
    le::StoreU32(&bytes[miniFatAt + 0], 2);  // now 0 -> 2 -> 1 -> end
    le::StoreU32(&bytes[miniFatAt + 8], 1);
    le::StoreU32(&bytes[miniFatAt + 4], 0xFFFFFFFE);

    auto mini = [&](std::uint32_t k) {
        return bytes.begin() + static_cast<std::ptrdiff_t>((miniStream + 1) * sector + 64 * k);
    };
    std::vector<std::uint8_t> expected(mini(0), mini(0) + 64);
    expected.insert(expected.end(), mini(2), mini(2) + 64);
    expected.insert(expected.end(), mini(1), mini(1) + 2);

    const CompoundFile file = CompoundFile::FromBytes(bytes);
    const StreamReader stream = file.OpenStream(*file.Find(file.Root(), u"a"));
    EXPECT_EQ(stream.ReadAll(), expected);
    std::vector<std::uint8_t> middle(70);
    stream.ReadAt(30, middle);
    EXPECT_TRUE(std::equal(middle.begin(), middle.end(), expected.begin() + 30));
}

}  // namespace
}  // namespace ferrowick::msg::cfb
