// Long paths are looked up by name on every call: a folder renamed or replaced between two
// calls is never reached under its old name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/directory_listing.hpp"
#include "fs/path_attributes.hpp"
#include "fs/path_separator.hpp"
#include "fs/readable_file.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

// `levels` nested folders named `level` below the root, made through descriptors (the
// whole path may be longer than the kernel accepts); their path as text.
std::u16string MakeChain(const TempFolder& temp, const std::string& level, int levels) {
    std::u16string path = temp.Text();
    int folder = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels; ++i) {
        EXPECT_EQ(mkdirat(folder, level.c_str(), 0755), 0);
        const int next = openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
        path += kPathSeparator + FromNative(level);
    }
    close(folder);
    return path;
}

// Runs `step` with a descriptor on the bottom folder of the chain.
template <typename Step>
void AtBottom(const TempFolder& temp, const std::string& level, int levels, Step step) {
    int folder = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels; ++i) {
        const int next = openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
    }
    step(folder);
    close(folder);
}

void Touch(int folder, const char* name) { close(openat(folder, name, O_CREAT | O_WRONLY, 0644)); }

std::vector<std::string> Names(const std::u16string& pattern) {
    std::vector<std::string> names;
    FileEntry entry;
    if (FindFirstEntry(pattern, entry, ListingDetail::NameAndKind) == kNoSearch) return names;
    do names.push_back(ToUtf8(entry.Name));
    while (FindNextEntry(entry));
    return names;
}

// Lifts the chain level by level so the temporary folder can be removed by whole paths.
void RemoveChain(const TempFolder& temp, const std::string& level, int levels) {
    const int root = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    const std::string child = level + "/" + level;
    for (int i = 1; i < levels; ++i) {
        renameat(root, child.c_str(), root, "up");
        std::filesystem::remove_all(temp.Root() / level);
        renameat(root, "up", root, level.c_str());
    }
    close(root);
}

TEST(LongPaths, AFolderReplacedBetweenCallsIsSeenAsItIsNow) {
    struct Case {
        std::string level;
        int levels;
    };
    // Beyond a kilobyte, and beyond what the kernel takes in one piece.
    for (const Case& c : {Case{std::string(100, 'm'), 11}, Case{std::string(30, 'n'), 150}}) {
        SCOPED_TRACE(c.levels);
        TempFolder temp;
        const std::u16string parent = MakeChain(temp, c.level, c.levels);
        ASSERT_GT(ToNative(parent).size(), 1024u);
        AtBottom(temp, c.level, c.levels, [](int bottom) {
            ASSERT_EQ(mkdirat(bottom, "Box", 0755), 0);
            const int box = openat(bottom, "Box", O_RDONLY | O_DIRECTORY);
            Touch(box, "old.msg");
            close(box);
        });
        const std::u16string box = parent + kPathSeparator + u"Box";
        EXPECT_EQ(GetPathAttributes(box + kPathSeparator + u"old.msg"), 0x80);
        EXPECT_EQ(Names(box + kPathSeparator + u"*"), (std::vector<std::string>{".", "..", "old.msg"}));

        // Box is moved aside and a new Box takes its place, as a rebuilt tree would.
        AtBottom(temp, c.level, c.levels, [](int bottom) {
            ASSERT_EQ(renameat(bottom, "Box", bottom, "Box.before"), 0);
            ASSERT_EQ(mkdirat(bottom, "Box", 0755), 0);
            const int fresh = openat(bottom, "Box", O_RDONLY | O_DIRECTORY);
            Touch(fresh, "new.msg");
            close(fresh);
        });
        EXPECT_EQ(Names(box + kPathSeparator + u"*"), (std::vector<std::string>{".", "..", "new.msg"}));
        EXPECT_EQ(GetPathAttributes(box + kPathSeparator + u"old.msg"), kInvalidAttributes);
        EXPECT_EQ(GetPathAttributes(box + kPathSeparator + u"new.msg"), 0x80);
        EXPECT_TRUE(ReadableFile::Open(box + kPathSeparator + u"new.msg").IsOpen());
        EXPECT_FALSE(ReadableFile::Open(box + kPathSeparator + u"old.msg").IsOpen());
        RemoveChain(temp, c.level, c.levels);
    }
}

}  // namespace
}  // namespace ferrowick::fs
