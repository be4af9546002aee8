// Reading with large attachment content and other large values offered as streams: only
// values above the bound are left out (bodies of the message, of an attached message, and an
// attachment's values, in 8-bit text too), and each stream reads the very bytes the store
// keeps for the value the plain reading gives, after the compound file it came from is gone.
#include <gtest/gtest.h>

#include "bytes/little_endian.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/code_page.hpp"
#include "msg/message_builder.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"

namespace ferrowick::msg {
namespace {

TEST(MsgStreamedContent, ContentAboveTheBoundIsAStreamOfTheSameBytesAndSmallerContentStaysAValue) {
    std::vector<std::uint8_t> large(100000), small{1, 2, 3};
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    MessageBuilder builder;
    builder.Subject(u"two").AttachFile(u"large.bin", large).AttachFile(u"small.bin", small);
    const std::vector<std::uint8_t> file = WriteMessage(builder.Build());

    const Message whole = ReadMessage(file);
    const Message streamed = ReadMessage(cfb::CompoundFile::FromBytes(file), 50000);
    ASSERT_EQ(streamed.attachments.size(), 2u);

    const Attachment& first = streamed.attachments[0];
    ASSERT_NE(first.data, nullptr);
    EXPECT_EQ(first.properties.Find(tags::kAttachDataBinary), nullptr);
    ASSERT_EQ(first.data->Size(), large.size());
    std::vector<std::uint8_t> read(large.size());
    first.data->ReadAt(0, std::span(read).first(1000));
    first.data->ReadAt(1000, std::span(read).subspan(1000));
    EXPECT_EQ(read, large);
    EXPECT_THROW(first.data->ReadAt(large.size() - 10, std::span(read).first(11)), std::exception);

    const Attachment& second = streamed.attachments[1];
    EXPECT_EQ(second.data, nullptr);
    ASSERT_NE(second.properties.Find(tags::kAttachDataBinary), nullptr);
    EXPECT_EQ(second.properties.Find(tags::kAttachDataBinary)->As<PropertyValue::Bytes>(), small);
    // Apart from the content, the same message as the plain reading gives.
    PropertySet rest = whole.attachments[0].properties;
    rest.Remove(tags::kAttachDataBinary.id);
    EXPECT_EQ(first.properties, rest);
    EXPECT_EQ(streamed.properties, whole.properties);
    EXPECT_EQ(whole.attachments[0].data, nullptr);
}

// The bytes a store keeps for a text value: UTF-16LE without a terminator.
std::vector<std::uint8_t> Utf16le(const std::u16string& text) {
    std::vector<std::uint8_t> bytes(2 * text.size());
    for (std::size_t i = 0; i < text.size(); ++i) le::StoreU16(&bytes[2 * i], text[i]);
    return bytes;
}

std::vector<std::uint8_t> ReadStream(const mapi::ByteStream& stream) {
    // In uneven pieces, the second half first, as no writer does: a reading that starts over
    // must give the same bytes.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    const std::size_t half = bytes.size() / 2;
    for (std::size_t at = half; at < bytes.size(); at += 8191)
        stream.ReadAt(at, std::span(bytes).subspan(at, std::min<std::size_t>(8191, bytes.size() - at)));
    for (std::size_t at = 0; at < half; at += 5000)
        stream.ReadAt(at, std::span(bytes).subspan(at, std::min<std::size_t>(5000, half - at)));
    return bytes;
}

// Japanese text in Shift-JIS (code page 932), two bytes a character, one ASCII byte first so
// that characters straddle every even offset; lines of `lineLength` bytes, or one line.
std::string ShiftJis(std::size_t characters, std::size_t lineLength) {
    std::string text = "a";
    for (std::size_t i = 0; i < characters; ++i) {
        text += "\x82\xA0";  // HIRAGANA LETTER SMALL A
        if (lineLength && text.size() % lineLength < 2) text += "\r\n";
    }
    return text;
}

TEST(MsgStreamedContent, LargeValuesOfMessagesAttachmentsAndAttachedMessagesAreStreamsOfTheBytesTheStoreKeeps) {
    constexpr std::uint64_t kBound = 50000;
    std::u16string body(60000, u'x');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char16_t>(0x20 + (i * 31) % 0x3000);
    std::vector<std::uint8_t> rtf(70000), rendering(90000);
    for (std::size_t i = 0; i < rtf.size(); ++i) rtf[i] = static_cast<std::uint8_t>(i * 13 + i / 509);
    for (std::size_t i = 0; i < rendering.size(); ++i) rendering[i] = static_cast<std::uint8_t>(i * 17 + i / 251);

    // The attached message's body is 8-bit text of its own code page: first a stretch longer
    // than a piece of decoding with no place to cut it (a character straddles the piece's
    // end), then lines.
    MessageBuilder inner;
    inner.Subject(u"inner")
        .Property(tags::kMessageCodepage, std::int32_t{932})
        .Property(PropertyTag{tags::kBody.id, PropertyType::String8},
                  ShiftJis(50000, 0) + "\r\n" + ShiftJis(30000, 997) + std::string(3, '\0'));
    MessageBuilder outer;
    outer.Subject(u"outer")
        .Body(body + u'\0')
        .Property(tags::kRtfCompressed, rtf)
        .Html("<p>small</p>")
        .AttachFile(u"small.bin", {1, 2, 3})
        .Property(PropertyTag{tags::kBody.id, PropertyType::String8},
                  std::string("8-bit text the Unicode body wins over"))
        .AttachMessage(inner.Build(), u"inner");
    Message built = outer.Build();
    built.attachments[0].properties.Set(PropertyTag{0x3709, PropertyType::Binary}, rendering);  // PidTagAttachRendering
    const std::vector<std::uint8_t> file = WriteMessage(built);

    const Message whole = ReadMessage(file);
    const Message streamed = ReadMessage(cfb::CompoundFile::FromBytes(file), kBound);

    ASSERT_EQ(streamed.streamed.size(), 2u);
    ASSERT_TRUE(streamed.streamed.contains(tags::kBody.id));
    ASSERT_TRUE(streamed.streamed.contains(tags::kRtfCompressed.id));
    ASSERT_NE(whole.properties.Get<std::u16string>(tags::kBody), nullptr);
    EXPECT_EQ(*whole.properties.Get<std::u16string>(tags::kBody), body);
    EXPECT_EQ(ReadStream(*streamed.streamed.at(tags::kBody.id)), Utf16le(body));
    EXPECT_EQ(ReadStream(*streamed.streamed.at(tags::kRtfCompressed.id)), rtf);
    // Stand-ins of the same type hold the values' places; the small values are values.
    EXPECT_EQ(*streamed.properties.Get<std::u16string>(tags::kBody), u"");
    EXPECT_TRUE(streamed.properties.Get<PropertyValue::Bytes>(tags::kRtfCompressed)->empty());
    ASSERT_NE(streamed.properties.Find(tags::kHtml), nullptr);
    EXPECT_EQ(*streamed.properties.Find(tags::kHtml), *whole.properties.Find(tags::kHtml));

    ASSERT_EQ(streamed.attachments.size(), 2u);
    const Attachment& file0 = streamed.attachments[0];
    ASSERT_EQ(file0.streamed.size(), 1u);
    EXPECT_EQ(ReadStream(*file0.streamed.at(0x3709)), rendering);
    EXPECT_TRUE(streamed.attachments[1].streamed.empty());

    const Message& innerWhole = *whole.attachments[1].embedded;
    const Message& innerStreamed = *streamed.attachments[1].embedded;
    const std::u16string* innerBody = innerWhole.properties.Get<std::u16string>(tags::kBody);
    ASSERT_NE(innerBody, nullptr);
    // Decoded cleanly as Shift-JIS, never a character cut in two.
    EXPECT_EQ(innerBody->find(u'\uFFFD'), std::u16string::npos);
    ASSERT_TRUE(innerStreamed.streamed.contains(tags::kBody.id));
    EXPECT_EQ(ReadStream(*innerStreamed.streamed.at(tags::kBody.id)), Utf16le(*innerBody));
    EXPECT_EQ(*innerStreamed.properties.Get<std::u16string>(tags::kBody), u"");
    EXPECT_EQ(innerStreamed.properties.Find(PropertyTag{tags::kBody.id, PropertyType::String8}), nullptr);

    // Apart from the streamed values, the same message as the plain reading gives.
    PropertySet rest = whole.properties;
    rest.Set(tags::kBody, PropertyValue::String({}));
    rest.Set(tags::kRtfCompressed, PropertyValue::Binary({}));
    EXPECT_EQ(streamed.properties, rest);
}

TEST(MsgStreamedContent, EightBitTextThatNoCandidateDecodesCleanlyStreamsAsTheWholeDecodes) {
    // Bytes no code page of the message decodes (0x81 0x0A is no Shift-JIS character), so
    // the text falls back to the first candidate with replacement characters.
    std::string text;
    for (int i = 0; i < 40000; ++i) text += i % 1000 == 999 ? std::string("\x81\n") : std::string("\x82\xA0 ");
    MessageBuilder builder;
    builder.Subject(u"bad")
        .Property(tags::kMessageCodepage, std::int32_t{932})
        .Property(PropertyTag{tags::kBody.id, PropertyType::String8}, text);
    const std::vector<std::uint8_t> file = WriteMessage(builder.Build());
    const Message whole = ReadMessage(file);
    const Message streamed = ReadMessage(cfb::CompoundFile::FromBytes(file), 1000);
    const std::u16string* body = whole.properties.Get<std::u16string>(tags::kBody);
    ASSERT_NE(body, nullptr);
#ifndef _WIN32
    // (Windows' converter puts the code page's own default character there instead.)
    EXPECT_NE(body->find(u'\uFFFD'), std::u16string::npos);
#endif
    ASSERT_TRUE(streamed.streamed.contains(tags::kBody.id));
    EXPECT_EQ(ReadStream(*streamed.streamed.at(tags::kBody.id)), Utf16le(*body));
}

}  // namespace
}  // namespace ferrowick::msg
