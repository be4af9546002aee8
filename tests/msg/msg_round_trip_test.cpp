// The .msg writer against the reader (write, read, compare) and against python3-olefile.
#include <gtest/gtest.h>

#include "fs/text.hpp"
#include "msg/cfb/byte_source.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/writer.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"
#include "support/msg_fixtures.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::msg {
namespace {

using testing::OlefileAvailable;
using testing::RunPython;
using testing::ScratchDir;

// One property of every type the model holds.
PropertySet EveryType(std::uint16_t firstId) {
    PropertySet p;
    std::uint16_t id = firstId;
    const Guid g = *Guid::Parse("{00062008-0000-0000-C000-000000000046}");
    using V = PropertyValue;
    using T = PropertyType;
    using Bytes = V::Bytes;
    const std::vector<PropertyValue> values{
        V::Integer16(-2),
        V::Integer32(-70000),
        V::Floating32(1.5f),
        V::Floating64(2.25),
        V::Currency(123456789),
        V::FloatingTime(41000.5),
        V::ErrorCode(0x8004010F),
        V::Boolean(true),
        V::Integer64(-5000000000),
        V::String(u"ünïcode ✓"),
        V::Time(130000000000000000),
        V::MakeGuid(g),
        V::Binary({0, 1, 2, 255}),
        V::Multiple(T::MultipleInteger16, std::vector<std::int16_t>{1, -1}),
        V::Multiple(T::MultipleInteger32, std::vector<std::int32_t>{7, 8, 9}),
        V::Multiple(T::MultipleFloating32, std::vector<float>{0.5f}),
        V::Multiple(T::MultipleFloating64, std::vector<double>{1e300, -0.0}),
        V::Multiple(T::MultipleCurrency, std::vector<std::int64_t>{1, 2}),
        V::Multiple(T::MultipleFloatingTime, std::vector<double>{3.0}),
        V::Multiple(T::MultipleInteger64, std::vector<std::int64_t>{1LL << 40}),
        V::Multiple(T::MultipleString, std::vector<std::u16string>{u"a", u"", u"ccc"}),
        V::Multiple(T::MultipleTime, std::vector<std::uint64_t>{1, 2}),
        V::Multiple(T::MultipleGuid, std::vector<Guid>{g, mapi::kPsMapi}),
        V::Multiple(T::MultipleBinary, std::vector<Bytes>{{1}, {}, {2, 3}}),
        V::Multiple(T::MultipleString, std::vector<std::u16string>{}),
    };
    for (const PropertyValue& v : values) p.Set(id++, v);
    return p;
}

TEST(MsgRoundTrip, EveryPropertyTypeInEveryKindOfObject) {
    Message inner;
    inner.properties = EveryType(0x6000);
    Recipient r;
    r.properties = EveryType(0x6100);
    inner.recipients.push_back(r);

    Message m;
    m.properties = EveryType(0x6000);
    m.recipients = {r, r};
    Attachment plain;
    plain.properties = EveryType(0x6200);
    Attachment carrying;
    carrying.properties.Set(tags::kAttachMethod, tags::kAttachEmbeddedMessage);
    carrying.embedded = std::make_shared<Message>(inner);
    m.attachments = {plain, carrying};

    const Message back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(back.properties, m.properties);
    ASSERT_EQ(back.recipients.size(), 2u);
    EXPECT_EQ(back.recipients[1], r);
    ASSERT_EQ(back.attachments.size(), 2u);
    EXPECT_EQ(back.attachments[0], plain);
    ASSERT_TRUE(back.attachments[1].embedded);
    EXPECT_EQ(*back.attachments[1].embedded, inner);
    EXPECT_EQ(back, m);
}

TEST(MsgRoundTrip, NamedPropertiesOfEveryKind) {
    Message m;
    const Guid custom = *Guid::Parse("{11223344-5566-7788-99AA-BBCCDDEEFF00}");
    m.namedProperties[0x8000] = NamedProperty{mapi::kPsPublicStrings, std::u16string(u"Keywords")};
    m.namedProperties[0x8001] = NamedProperty{mapi::kPsMapi, std::uint32_t{0x8501}};
    m.namedProperties[0x8005] = NamedProperty{custom, std::u16string(u"x-custom-header")};
    m.namedProperties[0x8006] = NamedProperty{custom, std::uint32_t{42}};
    m.properties.Set(0x8000,
                     PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>{u"one"}));
    m.properties.Set(0x8005, PropertyValue::String(u"value"));
    EXPECT_EQ(ReadMessage(WriteMessage(m)), m);
}

TEST(MsgRoundTrip, NestedEmbeddedMessagesKeepTheirOrderAndContent) {
    Message level = testing::PlainMessage(u"level 0");
    for (int i = 1; i <= 5; ++i) {
        level = MessageBuilder()
                    .Subject(u"level " + FromUtf8(std::to_string(i)))
                    .AttachFile(u"a.txt", {'a'})
                    .AttachMessage(level, u"inner")
                    .AttachFile(u"b.txt", {'b'})
                    .Build();
    }
    const Message back = ReadMessage(WriteMessage(level));
    EXPECT_EQ(back, level);
    const Message* m = &back;
    for (int i = 5; i >= 1; --i) {
        ASSERT_EQ(m->attachments.size(), 3u);
        EXPECT_EQ(*m->attachments[2].properties.Get<PropertyValue::Bytes>(tags::kAttachDataBinary),
                  std::vector<std::uint8_t>{'b'});
        m = m->attachments[1].embedded.get();
        ASSERT_TRUE(m);
    }
    EXPECT_EQ(*m->properties.Get<std::u16string>(tags::kSubject), u"level 0");
}

#ifndef _WIN32  // Debian's Python readers: the Linux tree runs this
TEST(MsgRoundTrip, OlefileReadsWhatTheWriterWrote) {
    ASSERT_TRUE(OlefileAvailable()) << "python3-olefile is missing (scripts/install-deps.sh installs it)";
    ScratchDir dir;
    const Message m = testing::RichMessage(u"Grüße from the writer");
    const auto path = testing::WriteMsgFile(dir.Path(), "rich.msg", m);
    const auto run = RunPython(
        "import olefile,sys,struct\n"
        "o=olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
        "s=lambda p: o.openstream(p).read().decode('utf-16-le').rstrip('\\x00')\n"
        "print(s('__substg1.0_0037001F'))\n"
        "h=o.openstream('__properties_version1.0').read()\n"
        "print(struct.unpack_from('<IIII', h, 8))\n"
        "print(sorted(s(e[0]+'/__substg1.0_3001001F') for e in o.listdir(storages=True, streams=False) if "
        "e[0].startswith('__recip')))\n"
        "d=o.openstream('__attach_version1.0_#00000000/__substg1.0_37010102').read()\n"
        "print(len(d), d[:3].hex())\n"
        "print(s('__attach_version1.0_#00000001/__substg1.0_3701000D/__substg1.0_0037001F'))\n"
        "st=o.openstream('__nameid_version1.0/__substg1.0_00040102').read()\n"
        "print(st[4:4+struct.unpack_from('<I',st,0)[0]].decode('utf-16-le'))\n",
        {path.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output,
              "Grüße from the writer\n"
              "(3, 2, 3, 2)\n"
              "['Bob Baker', 'Cleo Carter', 'Dan Drake']\n"
              "5000 072645\n"
              "The original\n"
              "Keywords\n");
}
#endif

TEST(MsgRoundTrip, EveryCorpusMessageSurvivesRewriting) {
    FERROWICK_REQUIRE_CORPUS();
    int rewritten = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(testing::CorpusDir() / "msg")) {
        if (e.path().extension() != ".msg") continue;
        SCOPED_TRACE(e.path().string());
        const Message m = ReadMessage(e.path());
        EXPECT_EQ(ReadMessage(WriteMessage(m)), m);
        ++rewritten;
    }
    EXPECT_EQ(rewritten, 210);
}

// Counts the bytes a compound file asks of its source.
class CountingSource : public cfb::ByteSource {
public:
    explicit CountingSource(std::vector<std::uint8_t> bytes, std::uint64_t& counter)
        : inner_(cfb::MemorySource(std::move(bytes))), counter_(counter) {}
    std::uint64_t Size() const override { return inner_->Size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        counter_ += out.size();
        inner_->ReadAt(offset, out);
    }

private:
    std::unique_ptr<cfb::ByteSource> inner_;
    std::uint64_t& counter_;
};

TEST(MsgRoundTrip, OneStreamIsReadWithoutReadingTheWholeFile) {
    cfb::CompoundFileWriter w;
    w.AddStream(cfb::CompoundFileWriter::kRoot, u"huge", std::vector<std::uint8_t>(4 << 20, 7));
    w.AddStream(cfb::CompoundFileWriter::kRoot, u"tiny", {1, 2, 3});
    w.AddStream(cfb::CompoundFileWriter::kRoot, u"medium", std::vector<std::uint8_t>(10000, 9));
    const auto bytes = w.Finish();
    std::uint64_t read = 0;
    const cfb::CompoundFile file(std::make_unique<CountingSource>(bytes, read));
    const std::uint64_t afterOpen = read;
    EXPECT_LT(afterOpen, 64u * 1024) << "opening reads the header, FAT, directory and mini FAT only";
    EXPECT_EQ(file.OpenStream(*file.Find(file.Root(), u"tiny")).ReadAll(), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(file.OpenStream(*file.Find(file.Root(), u"medium")).ReadAll().size(), 10000u);
    const auto huge = file.OpenStream(*file.Find(file.Root(), u"huge"));
    std::uint8_t one[1];
    huge.ReadAt((4 << 20) - 1, one);
    EXPECT_EQ(one[0], 7);
    EXPECT_LT(read, 100u * 1024) << "reading bytes here and there must not read the 4 MiB stream";
}

}  // namespace
}  // namespace ferrowick::msg

namespace ferrowick::msg {
namespace {

TEST(MsgRoundTrip, AttachmentStoragesOfOleObjectsTravelAsCompoundFiles) {
    cfb::CompoundFileWriter object;
    object.AddStream(cfb::CompoundFileWriter::kRoot, u"\x01Ole", {1, 0, 0, 2});
    const auto inner = object.AddStorage(cfb::CompoundFileWriter::kRoot, u"Nested");
    object.AddStream(inner, u"CONTENTS", std::vector<std::uint8_t>(6000, 0x5A));
    Message m = testing::PlainMessage(u"With an OLE object");
    Attachment a;
    a.properties.Set(tags::kAttachMethod, tags::kAttachStorage);
    a.customStorage = object.Finish();
    m.attachments.push_back(a);

    const Message back = ReadMessage(WriteMessage(m));
    ASSERT_EQ(back.attachments.size(), 1u);
    EXPECT_FALSE(back.attachments[0].embedded);
    const cfb::CompoundFile copy = cfb::CompoundFile::FromBytes(back.attachments[0].customStorage);
    EXPECT_EQ(copy.OpenStream(*copy.Find(copy.Root(), u"\x01Ole")).ReadAll(), (std::vector<std::uint8_t>{1, 0, 0, 2}));
    const auto nested = copy.Find(copy.Root(), u"Nested");
    ASSERT_TRUE(nested);
    EXPECT_EQ(copy.OpenStream(*copy.Find(*nested, u"CONTENTS")).ReadAll(), std::vector<std::uint8_t>(6000, 0x5A));
    EXPECT_EQ(ReadMessage(WriteMessage(back)), back);
}

}  // namespace
}  // namespace ferrowick::msg
