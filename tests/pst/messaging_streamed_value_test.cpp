// Attachment content handed to the store as a stream: written block by block into the data
// tree of its sub-node, read back byte for byte, and a stream that fails part way leaves no
// message and no blocks behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "pst/check/pst_checker.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

// Bytes made from their offset, so any piece out of place shows; fails at `failAt` when set.
class PatternStream final : public mapi::ByteStream {
public:
    explicit PatternStream(std::uint64_t size, std::uint64_t failAt = UINT64_MAX) : size_(size), failAt_(failAt) {}
    static std::uint8_t At(std::uint64_t i) { return static_cast<std::uint8_t>((i * 2654435761u) >> 13); }
    std::uint64_t Size() const override { return size_; }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset + out.size() > failAt_) throw std::runtime_error("the source file was cut short");
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = At(offset + i);
    }

private:
    std::uint64_t size_, failAt_;
};

class StreamedValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ferrowick-streamed-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = dir_ / "store.pst";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static MessageContent WithAttachment(std::shared_ptr<const mapi::ByteStream> data) {
        MessageContent m;
        m.properties.Set(tags::kSubject.id, PropertyValue::String(u"streamed"));
        AttachmentContent a;
        a.properties.Set(tags::kAttachFilename.id, PropertyValue::String(u"data.bin"));
        a.data = std::move(data);
        m.attachments.push_back(std::move(a));
        return m;
    }

    std::filesystem::path dir_, path_;
};

TEST_F(StreamedValueTest, ContentOfOneBlockAnXBlockAndAnXXBlockReadsBackByteForByte) {
    // One block; just past one block (an XBLOCK); just past 1,021 blocks (an XXBLOCK).
    const std::vector<std::uint64_t> sizes{5000, 8176 + 1, 8176ull * 1021 + 1, 8176ull * 1021 * 2 + 77};
    std::vector<NodeId> messages;
    {
        PstStore store = PstStore::Create(path_, u"Streamed");
        for (std::uint64_t size : sizes)
            messages.push_back(
                store.AddMessage(store.IpmSubtree(), WithAttachment(std::make_shared<PatternStream>(size))));
        store.Commit();
    }
    for (const Finding& f : CheckPstFile(path_)) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    for (std::size_t m = 0; m < sizes.size(); ++m) {
        const MessageContent read = store.ReadMessage(messages[m]);
        ASSERT_EQ(read.attachments.size(), 1u);
        const PropertyValue* data = read.attachments[0].properties.Find(tags::kAttachDataBinary);
        ASSERT_NE(data, nullptr) << sizes[m];
        const auto& bytes = data->As<PropertyValue::Bytes>();
        ASSERT_EQ(bytes.size(), sizes[m]);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) wrong += bytes[i] != PatternStream::At(i);
        EXPECT_EQ(wrong, 0u) << sizes[m];
        // The attachment's size counts the streamed content.
        const PropertyValue* size = read.attachments[0].properties.Find(tags::kAttachSize);
        ASSERT_NE(size, nullptr);
        EXPECT_GT(static_cast<std::uint64_t>(size->As<std::int32_t>()), sizes[m]);
    }
}

TEST_F(StreamedValueTest, AStreamThatFailsPartWayLeavesNoMessageAndNoBlocks) {
    PstStore store = PstStore::Create(path_, u"Streamed");
    const NodeId folder = store.IpmSubtree();
    store.AddMessage(folder, WithAttachment(std::make_shared<PatternStream>(20000)));
    // Fails inside the second XBLOCK's blocks, after some thousand blocks are written.
    EXPECT_THROW(store.AddMessage(folder,
                                  WithAttachment(std::make_shared<PatternStream>(8176ull * 1500, 8176ull * 1100))),
                 PstError);
    store.AddMessage(folder, WithAttachment(std::make_shared<PatternStream>(30000)));
    store.Commit();
    EXPECT_EQ(store.Folder(folder).ContentCount(), 2);
    EXPECT_EQ(store.Folder(folder).contents.RowCount(), 2u);
    // Not even a leak: the blocks the failed message wrote were given back.
    for (const Finding& f : CheckPstFile(path_)) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
}

}  // namespace
}  // namespace ferrowick::pst
