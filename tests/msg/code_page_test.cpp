// 8-bit strings decoded by the message's code page.
#include <gtest/gtest.h>

#include "fs/text.hpp"
#include "msg/code_page.hpp"
#include "msg/known_properties.hpp"
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
    EXPECT_EQ(DecodeCodePage("a\xff" "b", 65001), u"a\uFFFDb");
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
    m.properties.Set(PropertyTag(0x0037, PropertyType::String8), String8{"\xCF\xF0\xE8\xE2\xE5\xF2"});
    m.properties.Set(PropertyTag(0x1000, PropertyType::String8), String8{"8-bit body"});
    m.properties.Set(PropertyTag(0x1000, PropertyType::String), std::u16string(u"Unicode body"));
    m.properties.Set(PropertyTag(0x8000, PropertyType::MultipleString8), std::vector<String8>{{"\xE0"}, {"b"}});
    m.namedProperties[PropertyId{0x8000}] = NamedProperty{PsPublicStrings(), std::u16string(u"Keywords")};
    Recipient r;
    r.properties.Set(PropertyTag(0x3001, PropertyType::String8), String8{"\xC8\xE2\xE0\xED"});
    m.recipients.push_back(r);

    const Message back = ReadMessage(WriteMessage(m));
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kSubject), u"Привет");
    EXPECT_EQ(*back.properties.Get<std::u16string>(tags::kBody), u"Unicode body");  // Unicode wins
    EXPECT_FALSE(back.properties.Find(PropertyTag(0x0037, PropertyType::String8)));
    EXPECT_EQ(*back.properties.Get<std::vector<std::u16string>>(PropertyTag(0x8000, PropertyType::MultipleString)),
              (std::vector<std::u16string>{u"а", u"b"}));
    EXPECT_EQ(*back.recipients[0].properties.Get<std::u16string>(tags::kDisplayName), u"Иван");
}

TEST(CodePage, CorpusFilesInJapaneseCyrillicAndChinese) {
    FERROWICK_REQUIRE_CORPUS();
    const auto dir = testing::CorpusDir() / "msg";
    struct Case {
        const char* file;
        const char* subject;
    } cases[] = {
        {"hiraoka-msgreader/nonUnicodeCP932.msg", "日本語 Non Unicode タイトル"},
        {"apache-poi/cyrillic_message.msg",
         "Автоматический ответ подсистемы обмена данными ФГУП \"Почта России\"."},
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
