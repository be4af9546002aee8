// Damaged and hostile compound files: each is a clear CfbError (or a sane read), never a
// crash, a hang or an allocation the file's size does not bound.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "bytes/little_endian.hpp"
#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/writer.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick::msg::cfb {
namespace {

// Layout of the file Base() writes: sector 0 FAT, 1 directory (root, "big", "small"),
// 2 mini FAT, 3 mini stream, 4..13 the 5000 bytes of "big".
constexpr std::size_t kFatOffset = 512;
constexpr std::size_t kDirectoryOffset = 1024;
constexpr std::size_t EntryOffset(int entry) { return kDirectoryOffset + 128 * entry; }

std::vector<std::uint8_t> Base() {
    CompoundFileWriter w;
    std::vector<std::uint8_t> big(5000), small(100);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < small.size(); ++i) small[i] = static_cast<std::uint8_t>(255 - i);
    w.AddStream(CompoundFileWriter::kRoot, u"big", big);
    w.AddStream(CompoundFileWriter::kRoot, u"small", small);
    return w.Finish();
}

std::vector<std::uint8_t> ReadNamed(const std::vector<std::uint8_t>& bytes, std::u16string_view name) {
    const CompoundFile file = CompoundFile::FromBytes(bytes);
    return file.OpenStream(*file.Find(file.Root(), name)).ReadAll();
}

void ExpectError(const std::vector<std::uint8_t>& bytes, std::u16string_view name, const std::string& words) {
    try {
        ReadNamed(bytes, name);
        ADD_FAILURE() << "no error; expected one saying: " << words;
    } catch (const CfbError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::CorruptStructure) << e.what();
        // The words tell which of the checks caught the damage.
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
}

TEST(CfbHostile, BaseFileIsWhatTheseTestsAssume) {
    const auto bytes = Base();
    ASSERT_EQ(bytes.size(), 15u * 512);
    EXPECT_EQ(ReadNamed(bytes, u"big").size(), 5000u);
    EXPECT_EQ(ReadNamed(bytes, u"small").size(), 100u);
    EXPECT_EQ(le::LoadU32(&bytes[kFatOffset + 4 * 4]), 5u);  // "big" starts at sector 4
}

TEST(CfbHostile, SectorChainsThatLoop) {
    auto bytes = Base();
    le::StoreU32(&bytes[kFatOffset + 4 * 6], 4);  // big: 4 -> 5 -> 6 -> 4
    ExpectError(bytes, u"big", "loops");

    bytes = Base();
    le::StoreU32(&bytes[kFatOffset + 4 * 1], 1);  // the directory chain points to itself
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);

    bytes = Base();
    le::StoreU32(&bytes[3 * 512 + 4 * 0], 0);  // mini FAT (sector 2): small runs 0 -> 0
    ExpectError(bytes, u"small", "loops");
}

TEST(CfbHostile, SizesThatLie) {
    auto bytes = Base();
    le::StoreU32(&bytes[EntryOffset(1) + 0x78], 1000000);  // more than the file
    ExpectError(bytes, u"big", "more than the file holds");

    bytes = Base();
    le::StoreU32(&bytes[EntryOffset(1) + 0x78], 6000);  // inside the file, longer than the chain
    ExpectError(bytes, u"big", "chain ends");

    bytes = Base();
    le::StoreU32(&bytes[EntryOffset(2) + 0x78], 4000);  // small stream larger than the mini stream
    ExpectError(bytes, u"small", "mini stream");

    bytes = Base();
    le::StoreU32(&bytes[EntryOffset(0) + 0x78], 1 << 30);  // mini stream claims a gigabyte
    ExpectError(bytes, u"small", "more than the file holds");
}

TEST(CfbHostile, FourGigabyteClaims) {
    auto bytes = Base();
    le::StoreU32(&bytes[EntryOffset(1) + 0x78], 0xFFFFFFFF);
    ExpectError(bytes, u"big", "more than the file holds");

    // Version 3: the high half of a size is ignored, as old writers left it uninitialised.
    bytes = Base();
    le::StoreU32(&bytes[EntryOffset(1) + 0x7C], 0x00000001);
    EXPECT_EQ(ReadNamed(bytes, u"big").size(), 5000u);

    bytes = Base();
    le::StoreU32(&bytes[0x2C], 0xFFFFFFFF);  // FAT sector count
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);

    bytes = Base();
    le::StoreU32(&bytes[0x2C], 200);  // more FAT sectors than the header's DIFAT and no DIFAT chain
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);
}

TEST(CfbHostile, DirectoryPointingOutside) {
    auto bytes = Base();
    le::StoreU32(&bytes[EntryOffset(0) + 0x4C], 5000);  // root's child
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);

    bytes = Base();
    le::StoreU32(&bytes[0x30], 90000);  // first directory sector
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);

    bytes = Base();
    le::StoreU32(&bytes[EntryOffset(1) + 0x74], 90000);  // big's first sector
    ExpectError(bytes, u"big", "outside");

    bytes = Base();
    le::StoreU32(&bytes[0x4C], 0xFFFFFFFE);  // the only FAT sector's location is end-of-chain
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);
}

TEST(CfbHostile, TreeThatReferencesAnEntryTwiceIsReadAsATree) {
    auto bytes = Base();
    // The root's tree is "big" with "small" as its right sibling; make "small" also point
    // back at "big" and at the root: both links are ignored.
    const CompoundFile intact = CompoundFile::FromBytes(bytes);
    const DirectoryEntryId top = intact.Entry(intact.Root()).child;
    const int other = top.value == 1 ? 2 : 1;
    le::StoreU32(&bytes[EntryOffset(other) + 0x44], top.value);
    le::StoreU32(&bytes[EntryOffset(other) + 0x4C], 0);
    const CompoundFile file = CompoundFile::FromBytes(bytes);
    EXPECT_EQ(file.Children(file.Root()).size(), 2u);
}

TEST(CfbHostile, VersionFourFilesReadAndTheirSizesAreBounded) {
    // Header sector, FAT (sector 0), directory (sector 1), a 5000-byte stream (sectors 2, 3).
    const std::size_t sector = 4096;
    std::vector<std::uint8_t> bytes(5 * sector, 0);
    Header h;
    h.majorVersion = 4;
    h.sectorShift = 12;
    h.fatSectorCount = 1;
    h.directorySectorCount = 1;
    h.firstDirectorySector = SectorId{1};
    h.difat[0] = SectorId{0};
    const auto header = h.Serialize();
    std::copy(header.begin(), header.end(), bytes.begin());
    std::uint8_t* fat = &bytes[sector];
    for (std::size_t i = 0; i < sector / 4; ++i) le::StoreU32(fat + 4 * i, SectorId::kFree);
    le::StoreU32(fat + 0, SectorId::kFat);
    le::StoreU32(fat + 4, SectorId::kEndOfChain);
    le::StoreU32(fat + 8, 3);
    le::StoreU32(fat + 12, SectorId::kEndOfChain);
    DirectoryEntry root;
    root.name = u"Root Entry";
    root.type = ObjectType::Root;
    root.child = DirectoryEntryId{1};
    DirectoryEntry stream;
    stream.name = u"data";
    stream.type = ObjectType::Stream;
    stream.startSector = SectorId{2};
    stream.size = 5000;
    root.SerializeTo(std::span<std::uint8_t>(&bytes[2 * sector], 128));
    stream.SerializeTo(std::span<std::uint8_t>(&bytes[2 * sector + 128], 128));
    for (std::size_t i = 0; i < 5000; ++i) bytes[3 * sector + i] = static_cast<std::uint8_t>(i % 251);

    const auto data = ReadNamed(bytes, u"data");
    ASSERT_EQ(data.size(), 5000u);
    EXPECT_EQ(data[4999], 4999 % 251);

    le::StoreU64(&bytes[2 * sector + 128 + 0x78], 0x100001388ULL);  // 4 GiB + 5000: version 4 counts all 64 bits
    ExpectError(bytes, u"data", "more than the file holds");
}

TEST(CfbHostile, NotCompoundFilesAtAll) {
    EXPECT_THROW(CompoundFile::FromBytes({}), CfbError);
    EXPECT_THROW(CompoundFile::FromBytes(std::vector<std::uint8_t>(11, 'x')), CfbError);
    EXPECT_THROW(CompoundFile::FromBytes(std::vector<std::uint8_t>(4096, 0)), CfbError);
    auto bytes = Base();
    bytes[0x1E] = 10;  // sector shift 10 is neither version's
    EXPECT_THROW(CompoundFile::FromBytes(bytes), CfbError);
}

// A caller tells a file of another kind and a failed open from damage by the kind alone.
TEST(CfbHostile, ErrorKindsTellUnsupportedAndUnreadableFromDamaged) {
    const auto kind = [](auto f) {
        try {
            f();
        } catch (const CfbError& e) {
            return e.Kind();
        }
        ADD_FAILURE() << "no CfbError";
        return ErrorKind::InvalidArgument;
    };
    EXPECT_EQ(kind([] { CompoundFile::FromBytes(std::vector<std::uint8_t>(4096, 0)); }), ErrorKind::UnsupportedFormat);
    EXPECT_EQ(kind([] { CompoundFile::FromBytes(std::vector<std::uint8_t>(11, 'x')); }), ErrorKind::CorruptStructure);
    EXPECT_EQ(kind([] { CompoundFile::Open("/nonexistent/ferrowick/none.msg"); }), ErrorKind::Io);
    EXPECT_EQ(kind([] { CompoundFile::Open("/"); }), ErrorKind::Io);
}

// Any damage to a real .msg gives a MsgError or a message; nothing else may escape.
void ReadSurvives(std::vector<std::uint8_t> bytes) {
    try {
        ReadMessage(std::move(bytes));
    } catch (const MsgError&) {
    }
}

TEST(CfbHostile, TruncatedCopiesOfAMessage) {
    const auto whole = WriteMessage(testing::RichMessage(u"Truncate me"));
    int errors = 0;
    for (std::size_t size = 0; size < whole.size(); size += 97) {
        try {
            ReadMessage(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        } catch (const MsgError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
}

TEST(CfbHostile, RandomDamageToAMessage) {
    const auto whole = WriteMessage(testing::RichMessage(u"Damage me"));
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        auto bytes = whole;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        ReadSurvives(std::move(bytes));
    }
}

// A message whose property stream lists `tags`, with a 4096-byte value stream for each and
// one 1 MiB binary value; returns the file and the directory entry numbers of the streams.
struct BombFile {
    std::vector<std::uint8_t> bytes;
    std::uint32_t bigEntry = 0;
    std::vector<std::uint32_t> smallEntries;
};

BombFile ManyValueStreams(int count) {
    CompoundFileWriter w;
    std::vector<std::uint8_t> props(32, 0);
    auto list = [&](std::uint32_t tag, std::uint32_t size) {
        const std::size_t at = props.size();
        props.resize(at + 16, 0);
        le::StoreU32(&props[at], tag);
        le::StoreU32(&props[at + 8], size);
    };
    list(0x7FFF0102, 1 << 20);
    for (int i = 0; i < count; ++i) list(0x70000102u + (static_cast<std::uint32_t>(i) << 16), 4096);
    w.AddStream(CompoundFileWriter::kRoot, u"__properties_version1.0", props);
    w.AddStream(CompoundFileWriter::kRoot, u"__substg1.0_7FFF0102", std::vector<std::uint8_t>(1 << 20, 1));
    for (int i = 0; i < count; ++i) {
        const std::uint32_t tag = 0x70000102u + (static_cast<std::uint32_t>(i) << 16);
        char name[32];
        std::snprintf(name, sizeof name, "__substg1.0_%08X", tag);
        w.AddStream(CompoundFileWriter::kRoot, std::u16string(name, name + std::strlen(name)),
                    std::vector<std::uint8_t>(4096, 2));
    }
    BombFile f{w.Finish(), 2, {}};  // entries in the order added: root, properties, big, small ones
    for (int i = 0; i < count; ++i) f.smallEntries.push_back(3 + static_cast<std::uint32_t>(i));
    return f;
}

TEST(CfbHostile, ManyEntriesSharingOneChainCannotMultiplyMemory) {
    BombFile f = ManyValueStreams(100);
    EXPECT_EQ(ReadMessage(f.bytes).properties.Size(), 101u);
    const CompoundFile intact = CompoundFile::FromBytes(f.bytes);
    const std::size_t directory = (intact.Header().firstDirectorySector.value + 1) * 512;
    const std::uint32_t bigStart = intact.Entry(DirectoryEntryId{f.bigEntry}).startSector.value;
    for (std::uint32_t entry : f.smallEntries) {
        le::StoreU32(&f.bytes[directory + 128 * entry + 0x74], bigStart);
        le::StoreU32(&f.bytes[directory + 128 * entry + 0x78], 1 << 20);
    }
    try {
        ReadMessage(f.bytes);
        ADD_FAILURE() << "100 streams of 1 MiB were read from a file of " << f.bytes.size() << " bytes";
    } catch (const MsgError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::CorruptStructure) << e.what();
    }
}

TEST(CfbHostile, RepeatedPropertyEntriesAreReadOnce) {
    // Repeat the entry of the 1 MiB value 20000 times: read each time, that is 20 GiB.
    std::vector<std::uint8_t> props(32, 0);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t at = props.size();
        props.resize(at + 16, 0);
        le::StoreU32(&props[at], 0x7FFF0102);
    }
    CompoundFileWriter w;
    w.AddStream(CompoundFileWriter::kRoot, u"__properties_version1.0", props);
    w.AddStream(CompoundFileWriter::kRoot, u"__substg1.0_7FFF0102", std::vector<std::uint8_t>(1 << 20, 1));
    const Message m = ReadMessage(w.Finish());
    EXPECT_EQ(m.properties.Size(), 1u);
}

TEST(CfbHostile, EmbeddedMessagesNestedTooDeep) {
    // Each level: a property stream, one attachment storage holding the next level.
    auto build = [](int levels) {
        CompoundFileWriter w;
        std::vector<std::uint8_t> top(32, 0), embedded(24, 0), attachment(8, 0);
        le::StoreU32(&top[20], 1);
        CompoundFileWriter::NodeId at = CompoundFileWriter::kRoot;
        w.AddStream(at, u"__properties_version1.0", top);
        for (int i = 0; i < levels; ++i) {
            const auto attach = w.AddStorage(at, u"__attach_version1.0_#00000000");
            auto props = attachment;
            props.resize(8 + 16, 0);
            le::StoreU32(&props[8], 0x37050003);
            le::StoreU32(&props[16], 5);
            w.AddStream(attach, u"__properties_version1.0", props);
            at = w.AddStorage(attach, u"__substg1.0_3701000D");
            w.AddStream(at, u"__properties_version1.0", embedded);
        }
        return w.Finish();
    };
    EXPECT_NO_THROW(ReadMessage(build(kMaxEmbeddingDepth)));
    try {
        ReadMessage(build(kMaxEmbeddingDepth + 1));
        ADD_FAILURE() << "a file nested past the limit was read";
    } catch (const MsgError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::LimitExceeded) << e.what();
    }
}

}  // namespace
}  // namespace ferrowick::msg::cfb
