#include <gtest/gtest.h>

#include "fs/existence.hpp"
#include "fs/last_error.hpp"
#include "fs/path_separator.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

TEST(FileExists, TrueForFilesFalseForFoldersAndMissingItems) {
    TempFolder temp;
    temp.File("a.msg");
    temp.Folder("sub");
    EXPECT_TRUE(FileExists(temp.Text("a.msg")));
    EXPECT_FALSE(FileExists(temp.Text("sub")));
    EXPECT_FALSE(FileExists(temp.Text("missing")));
    EXPECT_EQ(LastError(), 0);
}

TEST(FileExists, PatternCountsWhenItsFirstMatchIsAFile) {
    TempFolder temp;
    temp.Folder("a-folder");
    temp.File("b-file");
    EXPECT_TRUE(FileExists(temp.Text() + kPathSeparator + u"b*"));
    EXPECT_FALSE(FileExists(temp.Text() + kPathSeparator + u"a*")) << "first match is a folder";
    EXPECT_FALSE(FileExists(temp.Text() + kPathSeparator + u"z*"));
}

TEST(FileExists, FtpPathCountsAsAFile) {
    // No search is made for ftp paths; the scratch entry holds no folder bit.
    EXPECT_TRUE(FileExists(u"ftp://host/x"));
}

TEST(FolderExists, WithOrWithoutTrailingSeparator) {
    TempFolder temp;
    temp.Folder("sub");
    temp.Folder("empty");
    temp.File("file.txt");
    EXPECT_TRUE(FolderExists(temp.Text("sub")));
    EXPECT_TRUE(FolderExists(temp.Text("sub") + kPathSeparator));
    EXPECT_TRUE(FolderExists(u"  " + temp.Text("empty") + u"  ")) << "listed through the trimmed text";
    EXPECT_FALSE(FolderExists(temp.Text("file.txt")));
    EXPECT_FALSE(FolderExists(temp.Text("missing")));
    EXPECT_EQ(LastError(), 0);
}

TEST(FolderExists, BlankPathListsTheRootFolder) {
    // The attribute test gets "" and fails; the listing then works on the separator alone.
    EXPECT_TRUE(FolderExists(u""));
    EXPECT_TRUE(FolderExists(u"   "));
    EXPECT_EQ(LastError(), 0);
}

}  // namespace
}  // namespace ferrowick::fs
