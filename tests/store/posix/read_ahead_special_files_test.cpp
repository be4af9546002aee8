// Reading ahead opens nothing but regular files: a named pipe among the files to come is
// refused when its turn comes, without waiting for a writer that never comes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>

#include "fs/text.hpp"
#include "seams/store_service.hpp"
#include "store/message_read_ahead.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick {
namespace {

TEST(ReadAheadSpecialFiles, ANamedPipeIsRefusedWhenTakenAndTheRunGoesOn) {
    testing::ScratchDir dir;
    const std::u16string first = FromPath(testing::WriteMsgFile(dir.Path(), "a.msg", testing::PlainMessage(u"A")));
    const std::filesystem::path pipePath = dir / "pipe.msg";
    ASSERT_EQ(::mkfifo(pipePath.c_str(), 0600), 0);
    const std::u16string pipe = FromPath(pipePath);
    const std::u16string last = FromPath(testing::WriteMsgFile(dir.Path(), "z.msg", testing::PlainMessage(u"Z")));

    MessageReadAhead ahead;
    std::vector<std::u16string> paths{first, pipe, last};
    ahead.Expect([paths, at = std::size_t{0}]() mutable -> std::optional<std::u16string> {
        if (at == paths.size()) return std::nullopt;
        return paths[at++];
    });
    EXPECT_NO_THROW(ahead.Take(first));
    try {
        ahead.Take(pipe);
        ADD_FAILURE() << "a named pipe was read";
    } catch (const StoreFailure& e) {
        EXPECT_EQ(e.Description(), pipe + u" is not a regular file: named pipe");
    }
    EXPECT_EQ(*ahead.Take(last).properties.Get<std::u16string>(mapi::tags::kSubject), u"Z");
}

}  // namespace
}  // namespace ferrowick
