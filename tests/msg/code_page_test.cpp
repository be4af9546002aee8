// 8-bit strings decoded by the message's code page.
#include <gtest/gtest.h>

#include "fs/text.hpp"
#include "msg/code_page.hpp"
#include "msg/compressed_rtf.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"
#include "support/msg_fixtures.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::msg {
namespace {

TEST(CodePage, DecodesWindowsAndAsianCodePages) {
    EXPECT_EQ(DecodeCodePage("caf\xE9 \x80", 1252), u"café €");
    EXPECT_EQ(DecodeCodePage("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), u"Привет");
    EXPECT_EQ(DecodeCodePage("\x93\xfa\x96\x7b", 932), u"日本");
    EXPECT_EQ(DecodeCodePage("\xa4\xa4\xa4\xe5", 950), u"中文");
    EXPECT_EQ(DecodeCodePage("\xc3\xa9", 65001), u"é");
}

TEST(CodePage, InternetEncodingsStandForTheirLanguagesWindowsCodePage) {
    // ISO-2022-JP named as the Internet code page: MAPI 8-bit text is Shift-JIS all the same.
    EXPECT_EQ(DecodeCodePage("\x93\xfa\x96\x7b", 50220), u"日本");
    EXPECT_EQ(DecodeCodePage("\x80", 28591), u"€");
}

TEST(CodePage, UnknownCodePagesAndBadBytesDoNotFail) {
    EXPECT_FALSE(IsKnownCodePage(4242));
    EXPECT_EQ(DecodeCodePage("abc\xE9", 4242), u"abcé");  // the 1252 fallback
    EXPECT_EQ(DecodeCodePage("a\xff"
                             "b",
                             65001),
              u"a\uFFFDb");
    EXPECT_EQ(DecodeCodePage("\x93", 932), u"\uFFFD");  // a lead byte without its trail
    EXPECT_EQ(DecodeCodePage("", 1252), u"");
}

TEST(CodePage, MessageCodePageWinsOverInternetCodePageThenFallback) {
    PropertySet p;
    EXPECT_EQ(CodePageOf(p, kFallbackCodePage), 1252u);
    p.Set(tags::kInternetCodepage, std::int32_t{1251});
    EXPECT_EQ(CodePageOf(p, kFallbackCodePage), 1251u);
    p.Set(tags::kMessageCodepage, std::int32_t{932});
    EXPECT_EQ(CodePageOf(p, kFallbackCodePage), 932u);
    p.Set(tags::kMessageCodepage, std::int32_t{987654});  // unusable: the next one counts
    EXPECT_EQ(CodePageOf(p, kFallbackCodePage), 1251u);
}

TEST(CodePage, EightBitStringsOfAWrittenFileComeBackAsUnicode) {
    Message m;
    m.properties.Set(tags::kMessageCodepage, std::int32_t{1251});
    m.properties.Set(PropertyTag(0x0037, PropertyType::String8), PropertyValue::String8("\xCF\xF0\xE8\xE2\xE5\xF2"));
    m.properties.Set(PropertyTag(0x1000, PropertyType::String8), PropertyValue::String8("8-bit body"));
    m.properties.Set(PropertyTag(0x1000, PropertyType::String), std::u16string(u"Unicode body"));
    m.properties.Set(PropertyTag(0x8000, PropertyType::MultipleString8),
                     PropertyValue::Multiple(PropertyType::MultipleString8, std::vector<std::string>{"\xE0", "b"}));
    m.namedProperties[0x8000] = NamedProperty{mapi::kPsPublicStrings, std::u16string(u"Keywords")};
    Recipient r;
    r.properties.Set(PropertyTag(0x3001, PropertyType::String8), PropertyValue::String8("\xC8\xE2\xE0\xED"));
    m.recipients.push_back(r);

    const Message back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kSubject), u"Привет");
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kBody), u"Unicode body");  // Unicode wins
    EXPECT_FALSE(back.properties.Find(PropertyTag(0x0037, PropertyType::String8)));
    EXPECT_EQ(*back.properties.Get<std::vector<std::u16string>>(PropertyTag(0x8000, PropertyType::MultipleString)),
              (std::vector<std::u16string>{u"а", u"b"}));
    EXPECT_EQ(*back.recipients[0].properties.Get<std::u16string>(tags::kDisplayName), u"Иван");
}

// An uncompressed ("MELA") RTF body: the 16-byte header, then the RTF as it is.
std::vector<std::uint8_t> UncompressedRtf(const std::string& rtf) {
    std::vector<std::uint8_t> b;
    const auto le32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    le32(static_cast<std::uint32_t>(rtf.size() + 12));
    le32(static_cast<std::uint32_t>(rtf.size()));
    le32(0x414C454D);
    le32(0);
    b.insert(b.end(), rtf.begin(), rtf.end());
    return b;
}

// A message that declares UTF-8 as its Internet code page but holds Windows text: each 8-bit
// string goes to the first candidate that decodes it cleanly instead of losing characters.
TEST(CodePage, TextTheDeclaredCodePageCannotDecodeGoesToTheNextCandidate) {
    Message m;
    m.properties.Set(tags::kInternetCodepage, std::int32_t{65001});
    m.properties.Set(PropertyTag(0x0037, PropertyType::String8), PropertyValue::String8("Sch\xF6ne Gr\xFC\xDF"
                                                                                        "e"));
    m.properties.Set(PropertyTag(0x0E04, PropertyType::String8),
                     PropertyValue::String8("J\xC3\xBCrgen"));  // real UTF-8 stays so
    Recipient r;
    r.properties.Set(PropertyTag(0x3001, PropertyType::String8), PropertyValue::String8("M\xFCller"));
    m.recipients.push_back(r);
    Message back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kSubject), u"Schöne Grüße");
    EXPECT_EQ(*back.properties.Get<std::u16string>(PropertyTag(0x0E04, PropertyType::String)), u"Jürgen");
    EXPECT_EQ(*back.recipients[0].properties.Get<std::u16string>(tags::kDisplayName), u"Müller");

    // The RTF body's \ansicpg comes before Windows-1252, which would take Cyrillic bytes as Latin.
    m.properties.Set(PropertyTag(0x0037, PropertyType::String8), PropertyValue::String8("\xCF\xF0\xE8\xE2\xE5\xF2"));
    m.properties.Set(tags::kRtfCompressed, UncompressedRtf("{\\rtf1\\ansi\\ansicpg1251\\deff0 text}"));
    back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kSubject), u"Привет");

    // The message code page comes before the RTF's.
    m.properties.Set(tags::kMessageCodepage, std::int32_t{65001});
    m.properties.Set(PropertyTag(0x0037, PropertyType::String8), PropertyValue::String8("\x93\xFA\x96\x7B"));
    m.properties.Set(tags::kRtfCompressed, UncompressedRtf("{\\rtf1\\ansi\\ansicpg932 x}"));
    back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kSubject), u"日本");

    EXPECT_EQ(DecodeByFirstFitting("\xE9t\xE9", {65001, 4242, 1252}), u"été");  // unknown ones are passed over
    EXPECT_EQ(DecodeByFirstFitting("a\xFF"
                                   "b",
                                   {65001}),
              u"a\uFFFDb");  // none fits: as the declared one
}

TEST(CompressedRtf, LiteralsReferencesAndTheEndMarker) {
    // A reference to the dictionary's first five bytes, then the end marker (a reference to the
    // write position, 207 + 5), then a literal that must not be read.
    const std::vector<std::uint8_t> lzfu{17,   0, 0, 0, 5, 0,    0,    0,    0x4C, 0x5A, 0x46,
                                         0x75, 0, 0, 0, 0, 0x03, 0x00, 0x03, 0x0D, 0x40, 'X'};
    EXPECT_EQ(DecompressRtfStart(lzfu, 100), "{\\rtf");
    const std::vector<std::uint8_t> literals{21, 0, 0, 0,    8,   0,   0,   0,   0x4C, 0x5A, 0x46, 0x75, 0,
                                             0,  0, 0, 0x00, 'a', 'b', 'c', 'd', 'e',  'f',  'g',  'h'};
    EXPECT_EQ(DecompressRtfStart(literals, 100), "abcdefgh");
    EXPECT_EQ(DecompressRtfStart(literals, 3), "abc");
    EXPECT_EQ(RtfAnsiCodePage(UncompressedRtf("{\\rtf1\\ansi\\ansicpg1250 x}")), 1250u);
    EXPECT_FALSE(RtfAnsiCodePage(UncompressedRtf("{\\rtf1\\ansi x}")));
    // Cut or foreign values give nothing or a part, never a fault.
    EXPECT_FALSE(DecompressRtfStart(std::vector<std::uint8_t>{1, 2, 3}, 100));
    EXPECT_FALSE(DecompressRtfStart(std::vector<std::uint8_t>(16, 0), 100));
    std::vector<std::uint8_t> cut = lzfu;
    cut.resize(18);
    EXPECT_EQ(DecompressRtfStart(cut, 100), "");
}

TEST(CompressedRtf, TheCodePageIsFoundWhereverTheHeaderPutsItWithinItsFirst8KB) {
    // Padding puts the word, or its number, on either side of every point where a reader
    // might stop early; the number must come out whole, and nothing past 8 KB counts.
    for (const std::size_t before : {0u, 490u, 500u, 503u, 504u, 505u, 508u, 511u, 512u, 3000u, 8180u, 8190u}) {
        const std::string rtf = "{\\rtf1\\ansi" + std::string(before, ' ') + "\\ansicpg1251\\deff0 text}";
        const std::size_t digitsEnd = std::string("{\\rtf1\\ansi").size() + before + 12;
        const auto found = RtfAnsiCodePage(UncompressedRtf(rtf));
        if (digitsEnd < 8192)
            EXPECT_EQ(found, 1251u) << before << " spaces before";
        else if (digitsEnd - 4 >= 8192)
            EXPECT_FALSE(found) << before << " spaces before";
    }
    EXPECT_EQ(RtfAnsiCodePage(UncompressedRtf("{\\rtf1\\ansi" + std::string(497, ' ') + "\\ansicpg1252")),
              1252u);  // the file ends with the number
    EXPECT_EQ(RtfAnsiCodePage(UncompressedRtf("{\\rtf1" + std::string(600, ' ') + "\\ansicpg1234567 x}")),
              123456u);  // at most six digits, as before
    EXPECT_FALSE(RtfAnsiCodePage(UncompressedRtf("{\\rtf1" + std::string(600, ' ') + "\\ansicpg0 x}")));
}

TEST(CompressedRtf, CorpusRtfBodiesDecompressToRtf) {
    FERROWICK_REQUIRE_CORPUS();
    int bodies = 0, codePages = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(testing::CorpusDir() / "msg")) {
        if (e.path().extension() != ".msg") continue;
        const Message m = ReadMessage(e.path());
        const auto* rtf = m.properties.Get<PropertyValue::Bytes>(tags::kRtfCompressed);
        if (!rtf) continue;
        const auto text = DecompressRtfStart(*rtf, 64);
        ASSERT_TRUE(text) << e.path();
        EXPECT_EQ(text->rfind("{\\rtf", 0), 0u) << e.path() << ": " << *text;
        ++bodies;
        if (RtfAnsiCodePage(*rtf)) ++codePages;
    }
    EXPECT_GT(bodies, 50);
    EXPECT_GT(codePages, bodies / 2);
}

TEST(CodePage, CorpusFilesInJapaneseCyrillicAndChinese) {
    FERROWICK_REQUIRE_CORPUS();
    const auto dir = testing::CorpusDir() / "msg";
    struct Case {
        const char* file;
        const char* subject;
    } cases[] = {
        {"hiraoka-msgreader/nonUnicodeCP932.msg", "日本語 Non Unicode タイトル"},
        {"apache-poi/cyrillic_message.msg", "Автоматический ответ подсистемы обмена данными ФГУП \"Почта России\"."},
        {"apache-poi/ASCII_CP1251_LCID1049.msg", "Subject автоматически Subject"},
        {"apache-poi/chinese-traditional.msg", "Alfresco MSG format testing ( MSG 格式測試 )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Message m = ReadMessage(dir / c.file);
        const std::u16string* subject = m.properties.Get<std::u16string>(tags::kSubject);
        ASSERT_TRUE(subject);
        EXPECT_EQ(ToUtf8(*subject), c.subject);
        const std::u16string* body = m.properties.Get<std::u16string>(tags::kBody);
        if (body) {
            EXPECT_EQ(body->find(u'\uFFFD'), std::u16string::npos) << "undecodable bytes in the body";
        }
    }
}

}  // namespace
}  // namespace ferrowick::msg
