// The read-ahead hands the import each file exactly as reading it then would: the same
// message, the same failure naming the same file, whatever order the import takes them in.
#include "store/message_read_ahead.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fs/text.hpp"
#include "msg/message_builder.hpp"
#include "seams/store_service.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick {
namespace {

using testing::PlainMessage;
using testing::ScratchDir;
using testing::WriteMsgFile;

std::u16string SubjectOf(const msg::Message& message) {
    const std::u16string* subject = message.properties.Get<std::u16string>(mapi::tags::kSubject);
    return subject ? *subject : u"(none)";
}

MessageReadAhead::NextPath Over(std::vector<std::u16string> paths) {
    return [paths = std::move(paths), at = std::size_t{0}]() mutable -> std::optional<std::u16string> {
        if (at == paths.size()) return std::nullopt;
        return paths[at++];
    };
}

// Files m0.msg ... m(n-1).msg with subjects "Message 0" ...
std::vector<std::u16string> MessageFiles(const ScratchDir& dir, int count) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(FromPath(
            WriteMsgFile(dir.Path(), "m" + std::to_string(i) + ".msg", PlainMessage(u"Message " + DecimalText(i)))));
    return paths;
}

std::u16string FailureOf(MessageReadAhead& ahead, const std::u16string& path) {
    try {
        ahead.Take(path);
    } catch (const StoreFailure& e) {
        return e.Description();
    }
    return u"(no failure)";
}

TEST(MessageReadAhead, FilesTakenInOrderAreTheFilesAsWritten) {
    ScratchDir dir;
    const std::vector<std::u16string> paths = MessageFiles(dir, 20);
    MessageReadAhead ahead;
    ahead.Expect(Over(paths));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(SubjectOf(ahead.Take(paths[i])), u"Message " + DecimalText(i));
    // Past the end of what it was told of, a file is still read.
    EXPECT_EQ(SubjectOf(ahead.Take(paths[3])), u"Message 3");
}

TEST(MessageReadAhead, AFileThatCannotBeReadFailsWhenTakenAndNamesItself) {
    ScratchDir dir;
    std::vector<std::u16string> paths = MessageFiles(dir, 6);
    testing::WriteBytes(ToPath(paths[2]), std::vector<std::uint8_t>(1024, 0x41));  // no compound file
    const std::u16string missing = FromPath(dir / "gone.msg");
    paths.insert(paths.begin() + 4, missing);
    MessageReadAhead ahead;
    ahead.Expect(Over(paths));

    EXPECT_EQ(SubjectOf(ahead.Take(paths[0])), u"Message 0");
    EXPECT_EQ(SubjectOf(ahead.Take(paths[1])), u"Message 1");
    const std::u16string damaged = FailureOf(ahead, paths[2]);
    EXPECT_TRUE(damaged.starts_with(paths[2] + u" is not a readable .msg file")) << ToUtf8(damaged);
    EXPECT_EQ(SubjectOf(ahead.Take(paths[3])), u"Message 3");
    const std::u16string gone = FailureOf(ahead, missing);
    EXPECT_TRUE(gone.starts_with(missing + u" ")) << ToUtf8(gone);
    EXPECT_EQ(SubjectOf(ahead.Take(paths[5])), u"Message 4");
}

TEST(MessageReadAhead, TheImportMayPassOverFilesOrGoElsewhere) {
    ScratchDir dir;
    const std::vector<std::u16string> paths = MessageFiles(dir, 10);
    MessageReadAhead ahead;
    ahead.Expect(Over(paths));
    EXPECT_EQ(SubjectOf(ahead.Take(paths[0])), u"Message 0");
    // A file whose folder could not be found is never taken: the next one still is.
    EXPECT_EQ(SubjectOf(ahead.Take(paths[2])), u"Message 2");
    // A file it was not told of, then the rest in any order.
    EXPECT_EQ(SubjectOf(ahead.Take(paths[9])), u"Message 9");
    EXPECT_EQ(SubjectOf(ahead.Take(paths[3])), u"Message 3");
    EXPECT_EQ(SubjectOf(ahead.Take(paths[1])), u"Message 1");
    // A new list replaces the old one, as the next folder's does after a Skip.
    ahead.Expect(Over({paths[7], paths[8]}));
    EXPECT_EQ(SubjectOf(ahead.Take(paths[7])), u"Message 7");
    EXPECT_EQ(SubjectOf(ahead.Take(paths[8])), u"Message 8");
}

TEST(MessageReadAhead, OnceStoppedEveryFileIsReadWhenTaken) {
    ScratchDir dir;
    const std::vector<std::u16string> paths = MessageFiles(dir, 3);
    MessageReadAhead ahead;
    ahead.Expect(Over(paths));
    EXPECT_EQ(SubjectOf(ahead.Take(paths[0])), u"Message 0");
    ahead.Stop();  // as when the run ends: what was read ahead is dropped
    WriteMsgFile(dir.Path(), "m1.msg", PlainMessage(u"Rewritten"));
    EXPECT_EQ(SubjectOf(ahead.Take(paths[1])), u"Rewritten");
    ahead.Expect(Over(paths));  // ignored once stopped
    EXPECT_EQ(SubjectOf(ahead.Take(paths[2])), u"Message 2");
}

TEST(MessageReadAhead, AFileTooLargeToHoldWholeIsLeftToTheImport) {
    ScratchDir dir;
    std::vector<std::uint8_t> data(5 * 1024 * 1024);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);
    msg::Message big = msg::MessageBuilder().Subject(u"Big").AttachFile(u"data.bin", data).Build();
    std::vector<std::u16string> paths = MessageFiles(dir, 2);
    paths.insert(paths.begin() + 1, FromPath(WriteMsgFile(dir.Path(), "big.msg", big)));
    MessageReadAhead ahead;
    ahead.Expect(Over(paths));
    EXPECT_EQ(SubjectOf(ahead.Take(paths[0])), u"Message 0");
    const msg::Message taken = ahead.Take(paths[1]);
    EXPECT_EQ(SubjectOf(taken), u"Big");
    ASSERT_EQ(taken.attachments.size(), 1u);
    // Its content is streamed from the file the import opened, not held.
    EXPECT_NE(taken.attachments[0].data, nullptr);
    EXPECT_EQ(SubjectOf(ahead.Take(paths[2])), u"Message 1");
}

TEST(MessageReadAhead, EndsPromptlyWithFilesStillExpected) {
    ScratchDir dir;
    const std::vector<std::u16string> paths = MessageFiles(dir, 50);
    for (int round = 0; round < 20; ++round) {
        MessageReadAhead ahead;
        ahead.Expect(Over(paths));
        if (round % 2) ahead.Take(paths[0]);
    }  // each ends while its thread may be in the middle of a file
    SUCCEED();
}

}  // namespace
}  // namespace ferrowick
