// Import of .msg files made by our writer: every property type, 8-bit strings in two code
// pages, recipients, attachments, attached messages two deep, named properties; read back
// with our reader and with pffexport; bad files leave nothing behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"
#include "pst/messaging/property_tags.hpp"
#include "seams/store_service.hpp"
#include "store/msg_import.hpp"
#include "store/open_store.hpp"
#include "store/outlook_message_form.hpp"
#include "store/pst_message.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using testing::ScratchDir;
using testing::WriteMsgFile;

const msg::Guid kCustomSet = *msg::Guid::Parse("{11223344-5566-7788-99AA-BBCCDDEEFF00}");

// "Привет" in Windows-1251 and "日本" in Shift-JIS (cp932).
const std::string kCyrillic1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string kJapanese932 = "\x93\xFA\x96\x7B";

msg::Message InnerMostMessage() {
    return msg::MessageBuilder()
        .Subject(u"Level two")
        .Property(msg::tags::kMessageCodepage, std::int32_t{932})
        .Property(msg::PropertyTag{0x6910, msg::PropertyType::String8}, std::string(kJapanese932))
        .Build();
}

msg::Message EveryKindMessage() {
    using T = msg::PropertyType;
    msg::Message middle =
        msg::MessageBuilder().Subject(u"Level one").AttachMessage(InnerMostMessage(), u"Level two").Build();
    std::vector<std::uint8_t> data(70000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13 + 1);
    return msg::MessageBuilder()
        .Subject(u"Every kind")
        .Body(u"Plain body.")
        .Html("<p>HTML body</p>")
        .Sender(u"Ann Archer", u"ann@example.com")
        .To(u"Bob Baker", u"bob@example.com")
        .Cc(u"Cleo Carter", u"cleo@example.com")
        .Bcc(u"Dan Drake", u"dan@example.com")
        .Dates(msg::FileTimeFromUtc(2014, 5, 2, 14, 0, 0), msg::FileTimeFromUtc(2014, 5, 2, 14, 2, 0))
        .AttachFile(u"data.bin", data)
        .AttachMessage(middle, u"Level one")
        .Named(msg::NamedProperty{mapi::kPsPublicStrings, std::u16string(u"Keywords")},
               msg::PropertyValue::Multiple(msg::PropertyType::MultipleString,
                                            std::vector<std::u16string>{u"red", u"blue"}))
        .Named(msg::NamedProperty{kCustomSet, std::uint32_t{0x8233}}, msg::PropertyValue::Integer32(77))
        .Property(msg::tags::kMessageCodepage, std::int32_t{1251})
        .Property(msg::PropertyTag{0x690D, T::String8}, std::string(kCyrillic1251))
        .Property(msg::PropertyTag{0x6900, T::Integer16}, std::int16_t{-3})
        .Property(msg::PropertyTag{0x6901, T::Floating32}, 1.5f)
        .Property(msg::PropertyTag{0x6902, T::Floating64}, 2.25)
        .Property(msg::PropertyTag{0x6903, T::Currency}, std::int64_t{123456})
        .Property(msg::PropertyTag{0x6904, T::FloatingTime}, 41000.5)
        .Property(msg::PropertyTag{0x6905, T::ErrorCode}, std::uint32_t{0x8004010F})
        .Property(msg::PropertyTag{0x6906, T::Boolean}, true)
        .Property(msg::PropertyTag{0x6907, T::Integer64}, std::int64_t{-1234567890123})
        .Property(msg::PropertyTag{0x6908, T::Guid}, kCustomSet)
        .Property(msg::PropertyTag{0x6909, T::MultipleInteger32}, std::vector<std::int32_t>{1, 2, 3})
        .Property(msg::PropertyTag{0x690A, T::MultipleString8}, std::vector<std::string>{kCyrillic1251, "abc"})
        .Property(msg::PropertyTag{0x690B, T::MultipleBinary}, std::vector<std::vector<std::uint8_t>>{{1, 2}, {3}})
        .Property(msg::PropertyTag{0x690C, T::MultipleTime}, std::vector<std::uint64_t>{5, 6})
        // Owned by the store: must not come over as the file has them.
        .Property(msg::tags::kMessageSize, std::int32_t{1})
        .Property(msg::PropertyTag{0x0FFF, T::Binary}, std::vector<std::uint8_t>{9, 9, 9})
        .Build();
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = std::make_shared<OpenStore>(pst::PstStore::Create(dir_ / "out.pst", u"Import test"));
    }
    std::shared_ptr<PstMessage> Imported(const msg::Message& message, const std::string& name) {
        auto m = std::make_shared<PstMessage>(store_, store_->Store().IpmSubtree());
        m->Import(FromNative(WriteMsgFile(dir_.Path(), name, message).string()), kMsgImportType);
        m->SetProperty(kTagMessageFlags, m->HasAttachments() ? 0x11 : 0x01);
        m->Save();
        return m;
    }
    pst::PstStore Reopened() {
        store_->Close();
        // Read-write: only then does the store load its name-to-ID map.
        return pst::PstStore::Open(dir_ / "out.pst", pst::OpenMode::ReadWrite);
    }

    ScratchDir dir_{"import"};
    std::shared_ptr<OpenStore> store_;
};

std::u16string Text(const pst::PropertyBag& bag, std::uint16_t id) {
    const pst::PropertyValue* v = bag.Find(pst::PropertyTag{id, pst::PropertyType::String});
    return v ? v->As<std::u16string>() : u"<absent>";
}

TEST_F(ImportTest, EveryPropertyRecipientAttachmentAndNameComesBack) {
    const auto saved = *Imported(EveryKindMessage(), "every.msg")->SavedAs();
    pst::PstStore store = Reopened();
    const pst::MessageContent m = store.ReadMessage(saved);
    const pst::PropertyBag& p = m.properties;
    using T = pst::PropertyType;

    EXPECT_EQ(Text(p, 0x0037),
              u"\x01\x01"
              u"Every kind");
    EXPECT_EQ(Text(p, 0x1000), u"Plain body.");
    EXPECT_EQ(Text(p, 0x690D), u"Привет");  // 8-bit, decoded by cp1251
    EXPECT_EQ(p.Find(pst::PropertyTag{0x690A, T::MultipleString})->As<std::vector<std::u16string>>(),
              (std::vector<std::u16string>{u"Привет", u"abc"}));
    const auto html = p.Find(pst::PropertyTag{0x1013, T::Binary})->As<pst::PropertyValue::Bytes>();
    EXPECT_EQ(std::string(html.begin(), html.end()), "<p>HTML body</p>");
    EXPECT_EQ(p.Find(pst::PropertyTag{0x0039, T::Time})->As<std::uint64_t>(),
              msg::FileTimeFromUtc(2014, 5, 2, 14, 0, 0));
    EXPECT_EQ(p.Find(pst::PropertyTag{0x0E06, T::Time})->As<std::uint64_t>(),
              msg::FileTimeFromUtc(2014, 5, 2, 14, 2, 0));
    EXPECT_EQ(p.Find(pst::PropertyTag{0x3007, T::Time})->As<std::uint64_t>(),
              msg::FileTimeFromUtc(2014, 5, 2, 14, 2, 0));
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6900, T::Integer16})->As<std::int16_t>(), -3);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6901, T::Floating32})->As<float>(), 1.5f);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6902, T::Floating64})->As<double>(), 2.25);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6903, T::Currency})->As<std::int64_t>(), 123456);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6904, T::FloatingTime})->As<double>(), 41000.5);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6905, T::ErrorCode})->As<std::uint32_t>(), 0x8004010Fu);
    EXPECT_TRUE(p.Find(pst::PropertyTag{0x6906, T::Boolean})->As<bool>());
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6907, T::Integer64})->As<std::int64_t>(), -1234567890123);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6908, T::Guid})->As<pst::Guid>().bytes, kCustomSet.bytes);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x6909, T::MultipleInteger32})->As<std::vector<std::int32_t>>(),
              (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(p.Find(pst::PropertyTag{0x690B, T::MultipleBinary})->As<std::vector<pst::PropertyValue::Bytes>>().size(),
              2u);
    EXPECT_EQ(p.Find(pst::PropertyTag{0x690C, T::MultipleTime})->As<std::vector<std::uint64_t>>(),
              (std::vector<std::uint64_t>{5, 6}));
    // What the store owns is its own.
    EXPECT_EQ(p.Find(pst::PropertyTag{0x0FFF, T::Binary}), nullptr);
    EXPECT_GT(p.Find(pst::tags::kMessageSize)->As<std::int32_t>(), 70000);
    EXPECT_EQ(p.Find(pst::tags::kMessageFlags)->As<std::int32_t>(), 0x11);

    // Named properties through the store's map.
    const auto keywords =
        store.NamedProperties().Find(pst::NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"Keywords"});
    const auto custom = store.NamedProperties().Find(pst::NamedProperty{kCustomSet, 0x8233u, {}});
    ASSERT_TRUE(keywords);
    ASSERT_TRUE(custom);
    EXPECT_EQ(p.Find(pst::PropertyTag{*keywords, T::MultipleString})->As<std::vector<std::u16string>>(),
              (std::vector<std::u16string>{u"red", u"blue"}));
    EXPECT_EQ(p.Find(pst::PropertyTag{*custom, T::Integer32})->As<std::int32_t>(), 77);

    ASSERT_EQ(m.recipients.size(), 3u);
    for (std::int32_t i = 0; i < 3; ++i) {
        const pst::PropertyBag& r = m.recipients[static_cast<std::size_t>(i)];
        EXPECT_EQ(r.Find(pst::tags::kRecipientType)->As<std::int32_t>(), i + 1);
        EXPECT_EQ(r.Find(pst::PropertyTag{0x3000, T::Integer32})->As<std::int32_t>(), i);
        EXPECT_EQ(Text(r, 0x3002), u"SMTP");
    }
    EXPECT_EQ(Text(m.recipients[2], 0x3001), u"Dan Drake");
    EXPECT_EQ(Text(m.recipients[2], 0x3003), u"dan@example.com");

    ASSERT_EQ(m.attachments.size(), 2u);
    const pst::PropertyBag& file = m.attachments[0].properties;
    EXPECT_EQ(Text(file, 0x3707), u"data.bin");
    EXPECT_EQ(file.Find(pst::tags::kAttachDataBinary)->As<pst::PropertyValue::Bytes>().size(), 70000u);
    EXPECT_EQ(file.Find(pst::tags::kAttachDataBinary)->As<pst::PropertyValue::Bytes>()[1], 14);
    EXPECT_EQ(file.Find(pst::tags::kRenderingPosition)->As<std::int32_t>(), -1);
    EXPECT_GE(file.Find(pst::tags::kAttachSize)->As<std::int32_t>(), 70000);
    ASSERT_TRUE(m.attachments[1].embedded);
    const pst::MessageContent& one = *m.attachments[1].embedded;
    EXPECT_EQ(Text(one.properties, 0x0037),
              u"\x01\x01"
              u"Level one");
    ASSERT_EQ(one.attachments.size(), 1u);
    ASSERT_TRUE(one.attachments[0].embedded);
    EXPECT_EQ(Text(one.attachments[0].embedded->properties, 0x0037),
              u"\x01\x01"
              u"Level two");
    EXPECT_EQ(Text(one.attachments[0].embedded->properties, 0x6910), u"日本");  // its own cp932

    // The folder's cached row says what the message says.
    const pst::PackedTable& contents = store.Folder(store.IpmSubtree()).contents;
    ASSERT_EQ(contents.RowCount(), 1u);
    for (const pst::PropertyTag tag :
         {pst::tags::kSubject, pst::tags::kMessageFlags, pst::tags::kMessageSize, pst::tags::kMessageClass,
          pst::tags::kClientSubmitTime, pst::tags::kMessageDeliveryTime, pst::tags::kSentRepresentingName}) {
        const auto column = contents.ColumnIndex(tag);
        ASSERT_TRUE(column);
        const auto& cell = contents.Rows()[0].cells[*column];
        ASSERT_TRUE(cell && p.Find(tag)) << std::hex << tag.Value();
        EXPECT_EQ(*cell, *p.Find(tag)) << std::hex << tag.Value();
    }
}

// What Outlook's import stores, as its own stores of the same messages show: the subject
// with its prefix marker and no separate parts, the body preview, the source's keys, and
// none of the values Outlook recomputes.
TEST_F(ImportTest, MessagesAreStoredInOutlooksForm) {
    using T = msg::PropertyType;
    std::u16string longBody(254, u'a');
    longBody += u"\U0001F600 and more";  // a character of two UTF-16 units across the cut
    msg::Message inner = msg::MessageBuilder().Subject(u"Привет").Body(u"inner body").Build();
    inner.properties.Set(msg::PropertyTag{0x300B, T::Binary}, std::vector<std::uint8_t>{7, 7, 7});
    msg::Message outer = msg::MessageBuilder()
                             .Subject(u"RE: Lunch")
                             .Body(longBody)
                             .To(u"Bob Baker", u"bob@example.com")
                             .AttachFile(u"a.txt", {1, 2, 3})
                             .AttachMessage(inner, u"inner")
                             .Property(msg::PropertyTag{0x003D, T::String}, std::u16string(u"RE: "))
                             .Property(msg::PropertyTag{0x0E1D, T::String}, std::u16string(u"Lunch"))
                             .Property(msg::PropertyTag{0x300B, T::Binary}, std::vector<std::uint8_t>{1, 2, 3, 4})
                             .Property(msg::tags::kDisplayBcc, std::u16string(u"Dan"))
                             .Property(msg::tags::kDisplayCc, std::u16string())
                             .Property(msg::PropertyTag{0x0E1B, T::Boolean}, true)
                             .Property(msg::PropertyTag{0x0E1F, T::Boolean}, true)
                             .Build();
    outer.recipients[0].properties.Set(msg::PropertyTag{0x0FF9, T::Binary}, std::vector<std::uint8_t>{5, 6});
    outer.attachments[0].properties.Set(msg::PropertyTag{0x0FFE, T::Integer32}, std::int32_t{7});
    const auto saved = *Imported(outer, "outer.msg")->SavedAs();
    const auto bare = *Imported(msg::MessageBuilder().Subject(u"Fwd: plain").Build(), "bare.msg")->SavedAs();
    pst::PstStore store = Reopened();
    const pst::MessageContent m = store.ReadMessage(saved);
    const pst::PropertyBag& p = m.properties;

    EXPECT_EQ(Text(p, 0x0037), u"\x01\x05RE: Lunch");
    EXPECT_EQ(Text(store.ReadMessage(bare).properties, 0x0037),
              u"\x01\x06"
              u"Fwd: plain");  // prefix found by rule
    for (std::uint16_t gone : {0x003D, 0x0E1D, 0x0E02, 0x0E03, 0x0E1B, 0x0E1F})
        EXPECT_EQ(p.Find(gone), nullptr) << std::hex << gone;
    EXPECT_EQ(Text(p, 0x0E04), u"Bob Baker");             // a display list that says something stays
    EXPECT_EQ(Text(p, 0x6619), longBody.substr(0, 254));  // never half a character
    EXPECT_EQ(p.Find(0x300B)->As<pst::PropertyValue::Bytes>(), (pst::PropertyValue::Bytes{1, 2, 3, 4}));
    EXPECT_EQ(store.ReadMessage(bare).properties.Find(0x300B)->As<pst::PropertyValue::Bytes>().size(), 16u);
    ASSERT_EQ(m.recipients.size(), 1u);
    EXPECT_EQ(m.recipients[0].Find(0x0FF9)->As<pst::PropertyValue::Bytes>(), (pst::PropertyValue::Bytes{5, 6}));
    ASSERT_EQ(m.attachments.size(), 2u);
    EXPECT_EQ(m.attachments[0].properties.Find(0x0FFE), nullptr);
    ASSERT_TRUE(m.attachments[1].embedded);
    const pst::PropertyBag& e = m.attachments[1].embedded->properties;
    EXPECT_EQ(Text(e, 0x0037), u"\x01\x01Привет");
    EXPECT_EQ(Text(e, 0x6619), u"inner body");
    EXPECT_EQ(e.Find(0x300B)->As<pst::PropertyValue::Bytes>(), (pst::PropertyValue::Bytes{7, 7, 7}));

    // The contents-table row carries the status and conversation ID; the message does not.
    const pst::PackedTable& contents = store.Folder(store.IpmSubtree()).contents;
    const auto* row = contents.FindRow(saved.Value());
    ASSERT_TRUE(row);
    const auto status = contents.ColumnIndex(pst::PropertyTag{0x0E17, pst::PropertyType::Integer32});
    const auto conversation = contents.ColumnIndex(pst::PropertyTag{0x3013, pst::PropertyType::Binary});
    ASSERT_TRUE(status && conversation && row->cells[*status] && row->cells[*conversation]);
    EXPECT_EQ(row->cells[*status]->As<std::int32_t>(), 0);
    EXPECT_EQ(row->cells[*conversation]->As<pst::PropertyValue::Bytes>().size(), 16u);
    const auto preview = contents.ColumnIndex(pst::PropertyTag{0x6619, pst::PropertyType::String});
    ASSERT_TRUE(preview && row->cells[*preview]);
    EXPECT_EQ(row->cells[*preview]->As<std::u16string>(), longBody.substr(0, 254));
    EXPECT_EQ(p.Find(0x3013), nullptr);
    EXPECT_EQ(p.Find(0x0E17), nullptr);
}

TEST(SubjectPrefixTest, OneToThreeLettersAColonAndASpace) {
    EXPECT_EQ(ComputedSubjectPrefix(u"AW: Termin"), u"AW: ");
    EXPECT_EQ(ComputedSubjectPrefix(u"Fwd: x"), u"Fwd: ");
    EXPECT_EQ(ComputedSubjectPrefix(u"Ответ: x"), u"");  // five letters
    EXPECT_EQ(ComputedSubjectPrefix(u"Отв: x"), u"Отв: ");
    for (const char16_t* none : {u"Re:x", u"12: x", u"Re : x", u"A.: x", u"Updated: x", u"", u"R", u": x"})
        EXPECT_EQ(ComputedSubjectPrefix(none), u"") << ToUtf8(none);
    EXPECT_EQ(MarkedSubject(u"", u""), u"\x01\x01");
    EXPECT_EQ(MarkedSubject(u"Updated: ", u"x"), u"\x01\x0AUpdated: x");
    EXPECT_EQ(BodyPreview(std::u16string(300, u'b')).size(), 255u);
    EXPECT_EQ(BodyPreview(u"short"), u"short");
}

TEST_F(ImportTest, ABadFileFailsClearlyAndLeavesNothingBehind) {
    std::vector<fsys::path> truncated, hostile;
    const fsys::path good = WriteMsgFile(dir_.Path(), "good.msg", EveryKindMessage());
    const auto bytes = testing::ReadBytes(good);
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{100}, std::size_t{512}, bytes.size() / 2, bytes.size() - 1000}) {
        truncated.push_back(dir_ / ("cut" + std::to_string(cut) + ".msg"));
        testing::WriteBytes(truncated.back(),
                            std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
    }
    if (testing::CorpusAvailable())
        for (const auto& e : fsys::recursive_directory_iterator(testing::CorpusDir() / "msg-malformed"))
            if (e.is_regular_file()) hostile.push_back(e.path());
    const std::size_t namesBefore = store_->Store().NamedProperties().Size();
    // A truncated file must fail; a hostile one may be readable in part, but must never crash.
    for (const auto* list : {&truncated, &hostile}) {
        for (const fsys::path& path : *list) {
            auto m = std::make_shared<PstMessage>(store_, store_->Store().IpmSubtree());
            try {
                m->Import(FromNative(path.string()), kMsgImportType);
                if (list == &truncated) ADD_FAILURE() << path << " was imported";
                continue;
            } catch (const StoreFailure& e) {
                EXPECT_NE(e.Description().find(FromNative(path.string())), std::u16string::npos) << e.what();
            }
            EXPECT_FALSE(m->HasAttachments());
            EXPECT_EQ(m->Content().properties.Size(), 1u) << path;  // only the class it was made with
        }
    }
    if (hostile.empty()) {
        EXPECT_EQ(store_->Store().NamedProperties().Size(), namesBefore);
    }
    const pst::PstStore reopened = Reopened();
    EXPECT_EQ(reopened.Folder(reopened.IpmSubtree()).contents.RowCount(), 0u);
}

#ifndef _WIN32  // Debian's pffexport: the Linux tree runs this
std::string Slurp(const fsys::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(ImportTest, PffexportReadsTheImportedMessage) {
    ASSERT_TRUE(testing::Installed("pffexport"))
        << "pffexport (Debian pff-tools) is missing (scripts/install-deps.sh installs it)";
    Imported(EveryKindMessage(), "every.msg");
    Reopened();
    const fsys::path target = dir_ / "export";
    const auto exported = testing::RunCommand("pffexport -q -m all -t '" + target.string() + "' '" +
                                              (dir_ / "out.pst").string() + "' 2>&1");
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    const fsys::path message = target.string() + ".export/Top of Personal Folders/Message00001";
    const std::string headers = Slurp(message / "OutlookHeaders.txt");
    EXPECT_NE(headers.find("Subject:\t\t\t\tEvery kind"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Client submit time:\t\t\tMay 02, 2014 14:00:00"), std::string::npos) << headers;
    const std::string recipients = Slurp(message / "Recipients.txt");
    EXPECT_NE(recipients.find("Dan Drake"), std::string::npos);
    EXPECT_NE(recipients.find("BCC"), std::string::npos) << recipients;
    const std::string data = Slurp(message / "Attachments" / "1_data.bin");
    ASSERT_EQ(data.size(), 70000u);
    EXPECT_EQ(static_cast<std::uint8_t>(data[1]), 14);
    bool sawLevelTwo = false;
    for (const auto& e : fsys::recursive_directory_iterator(message / "Attachments"))
        if (e.path().filename() == "OutlookHeaders.txt" && Slurp(e.path()).find("Level two") != std::string::npos)
            sawLevelTwo = true;
    EXPECT_TRUE(sawLevelTwo);
}
#endif

}  // namespace
}  // namespace ferrowick
