// A message read with its large values as streams imports as the same message read whole:
// the values the store reshapes or shows in a table row are read whole again, the bodies
// stay streams, and the body's preview comes from the stream's start.
#include <gtest/gtest.h>

#include "msg/cfb/compound_file.hpp"
#include "msg/message_builder.hpp"
#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"
#include "pst/messaging/property_tags.hpp"
#include "store/msg_import.hpp"

namespace ferrowick {
namespace {

constexpr pst::PropertyTag kBodyPreview{0x6619, pst::PropertyType::String};

TEST(StreamedImport, LargeValuesTheStoreReadsAreHeldWholeAndBodiesStayStreams) {
    std::u16string subject = u"Re: ";
    subject.append(3000, u's');
    std::u16string body(5000, u'b');
    body[0] = u'B';
    msg::MessageBuilder builder;
    builder.Subject(subject).Body(body).To(std::u16string(2000, u't'), u"t@example.com");
    const std::vector<std::uint8_t> file = msg::WriteMessage(builder.Build());

    pst::NameToIdMap wholeNames, streamedNames;
    const pst::MessageContent whole = ImportedContent(msg::ReadMessage(file), wholeNames);
    pst::MessageContent streamed =
        ImportedContent(msg::ReadMessage(msg::cfb::CompoundFile::FromBytes(file), 1000), streamedNames);

    ASSERT_EQ(streamed.streamed.size(), 1u);
    ASSERT_TRUE(streamed.streamed.contains(pst::tags::kBody.id));
    const mapi::ByteStream& stream = *streamed.streamed.at(pst::tags::kBody.id);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadAt(0, bytes);
    ASSERT_EQ(bytes.size(), 2 * body.size());
    EXPECT_EQ(bytes[0], 'B');
    // The preview is the body's start, as the whole reading has it.
    ASSERT_NE(streamed.properties.Find(kBodyPreview), nullptr);
    EXPECT_EQ(*streamed.properties.Find(kBodyPreview), *whole.properties.Find(kBodyPreview));
    // All else is as the whole reading gives it: the marked subject, the display names.
    streamed.properties.Set(pst::tags::kBody.id, *whole.properties.Find(pst::tags::kBody));
    EXPECT_EQ(streamed.properties, whole.properties);
}

}  // namespace
}  // namespace ferrowick
