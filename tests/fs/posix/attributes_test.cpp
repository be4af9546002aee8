#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "fs/directory_listing.hpp"
#include "fs/file_times.hpp"
#include "fs/last_error.hpp"
#include "fs/path_attributes.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

TEST(PathAttributes, MapsTheKindsOfItem) {
    TempFolder temp;
    temp.File("plain.msg");
    temp.File(".hidden");
    temp.File("locked");
    ASSERT_EQ(chmod(temp.Native("locked").c_str(), 0444), 0);
    temp.Folder("folder");
    ASSERT_EQ(symlink("folder", temp.Native("to-folder").c_str()), 0);
    ASSERT_EQ(symlink("plain.msg", temp.Native("to-file").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", temp.Native("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(temp.Native("pipe").c_str(), 0644), 0);

    EXPECT_EQ(GetPathAttributes(temp.Text("plain.msg")), 0x80);
    EXPECT_EQ(GetPathAttributes(temp.Text(".hidden")), 0x02);
    EXPECT_EQ(GetPathAttributes(temp.Text("locked")), 0x01);
    EXPECT_EQ(GetPathAttributes(temp.Text("folder")), 0x10);
    EXPECT_EQ(GetPathAttributes(temp.Text("folder") + kPathSeparator), 0x10);
    EXPECT_EQ(GetPathAttributes(temp.Text("to-folder")), 0x410);
    EXPECT_EQ(GetPathAttributes(temp.Text("to-file")), 0x400);
    EXPECT_EQ(GetPathAttributes(temp.Text("dangling")), 0x400);
    EXPECT_EQ(GetPathAttributes(temp.Text("pipe")), 0x04);
    EXPECT_EQ(GetPathAttributes(temp.Text("folder") + kPathSeparator + u"."), 0x10);  // not hidden
    EXPECT_EQ(LastError(), 0);
}

TEST(PathAttributes, UnreadableIsMinusOneWithTheErrorKept) {
    TempFolder temp;
    temp.File("file");
    const std::int32_t missing = GetPathAttributes(temp.Text("missing"));
    EXPECT_EQ(missing, -1);
    EXPECT_NE(missing & 0x10, 0) << "callers testing only the folder bit see a folder";
    EXPECT_EQ(LastError(), ENOENT);
    EXPECT_EQ(GetPathAttributes(temp.Text("file") + kPathSeparator + u"x"), -1);
    EXPECT_EQ(LastError(), ENOTDIR);
    EXPECT_EQ(GetPathAttributes(u""), -1);
    EXPECT_EQ(LastError(), ENOENT);
}

TEST(PathAttributes, PathsLongerThanTheKernelLimitStillWork) {
    TempFolder temp;
    // 150 levels of a 30-byte name: well over PATH_MAX in all.
    const std::string level(30, 'n');
    int folder = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    std::u16string path = temp.Text();
    for (int i = 0; i < 150; ++i) {
        ASSERT_EQ(mkdirat(folder, level.c_str(), 0755), 0);
        const int next = openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
        path += kPathSeparator + FromNative(level);
    }
    const int file = openat(folder, "deep.msg", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "xyz", 3), 3);
    close(file);
    close(folder);
    ASSERT_GT(ToNative(path).size(), static_cast<std::size_t>(PATH_MAX));

    EXPECT_EQ(GetPathAttributes(path), 0x10);
    EXPECT_EQ(GetPathAttributes(path + kPathSeparator + u"deep.msg"), 0x80);
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(path + kPathSeparator + u"*.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Name, u"deep.msg");
    EXPECT_EQ(entry.Size, 3u);
    CloseFind(entry);

    // remove_all cannot reach that deep through whole paths; take the chain apart from the top.
    const int root = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    const std::string child = level + "/" + level;
    for (int i = 0; i < 149; ++i) {
        ASSERT_EQ(renameat(root, child.c_str(), root, "up"), 0);
        ASSERT_EQ(unlinkat(root, level.c_str(), AT_REMOVEDIR), 0);
        ASSERT_EQ(renameat(root, "up", root, level.c_str()), 0);
    }
    close(root);
}

TEST(FileTimes, ListingReportsTheFileSystemTimes) {
    TempFolder temp;
    temp.File("dated.msg");
    const timespec times[2] = {{1000000000, 0}, {1234567890, 123456700}};  // access, write
    ASSERT_EQ(utimensat(AT_FDCWD, temp.Native("dated.msg").c_str(), times, 0), 0);
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text("dated.msg"), entry), kNoSearch);
    EXPECT_EQ(entry.LastWritten.Raw, FileTimeFromPosix(1234567890, 123456700));
    EXPECT_EQ(entry.LastWritten.Value, (CalendarTime{2009, 2, 13, 23, 31, 30}));
    EXPECT_EQ(entry.LastAccessed.Raw, FileTimeFromPosix(1000000000, 0));
    EXPECT_NE(entry.Created.Raw, 0u);
    CloseFind(entry);
}

TEST(LastError, RecordsTheReportedCodeThenErrnoThenMinusOne) {
    errno = EACCES;
    RecordLastError(ENOENT);
    EXPECT_EQ(LastError(), ENOENT);
    RecordLastError();
    EXPECT_EQ(LastError(), EACCES);
    errno = 0;
    RecordLastError(0);
    EXPECT_EQ(LastError(), kUnknownError);
    SetLastError(0);
}

}  // namespace
}  // namespace ferrowick::fs
