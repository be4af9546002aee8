// Reading with large attachment content offered as a stream: only content above the bound is
// left out of the properties, and the stream reads the very bytes the property would hold,
// after the compound file it came from is gone.
#include <gtest/gtest.h>

#include "msg/cfb/compound_file.hpp"
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

}  // namespace
}  // namespace ferrowick::msg
