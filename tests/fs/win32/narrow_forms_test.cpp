// The narrow forms of the file functions (names in the ANSI code page), forced through the
// capability set as the probe would leave it on a system outside the NT family.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fs/directory_listing.hpp"
#include "fs/existence.hpp"
#include "fs/last_error.hpp"
#include "fs/path_attributes.hpp"
#include "fs/win32/api_support.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;
using win32::ApiSupport;

class NarrowForms : public ::testing::Test {
protected:
    void Force(bool shortPathPresent, bool compressedSizePresent) {
        ApiSupport narrow;
        narrow.ProbeDone = true;
        narrow.NarrowShortPathPresent = shortPathPresent;
        narrow.NarrowCompressedSizePresent = compressedSizePresent;
        win32::ReplaceApiSupport(narrow);
    }
    void SetUp() override { Force(true, true); }
    // The next operation probes the real system again.
    void TearDown() override { win32::ReplaceApiSupport(ApiSupport{}); }
};

TEST_F(NarrowForms, ListAndQueryLikeTheWideOnes) {
    TempFolder temp;
    temp.File("one.msg", "12345");
    temp.File("two.msg");
    temp.Folder("sub");
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text() + u"\\*", entry), kNoSearch);
    std::vector<std::u16string> names;
    do {
        names.push_back(entry.Name);
        if (entry.Name == u"one.msg") {
            EXPECT_EQ(entry.Size, 5u);
            EXPECT_EQ(entry.FullPath, temp.Text() + u"\\one.msg");
            EXPECT_EQ(entry.ShortName, u"one.msg");
            EXPECT_NE(entry.LastWritten.Raw, 0u);
        }
        if (entry.Name == u"sub") EXPECT_TRUE(entry.IsFolder);
    } while (FindNextEntry(entry));
    EXPECT_FALSE(entry.Failed);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u".", u"..", u"one.msg", u"sub", u"two.msg"}));

    EXPECT_EQ(GetPathAttributes(temp.Text("sub")) & 0x10, 0x10);
    EXPECT_EQ(GetPathAttributes(temp.Text("missing")), -1);
    EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(FileExists(temp.Text("one.msg")));
    EXPECT_TRUE(FolderExists(temp.Text("sub")));
    EXPECT_FALSE(win32::CurrentApiSupport().WideFindFirst) << "nothing switched the wide forms on";
}

TEST_F(NarrowForms, ShortNamesFallBackToTheNameWithoutTheShortPathCall) {
    TempFolder temp;
    temp.File("a rather long name.message");
    Force(false, false);
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text("a rather long name.message"), entry), kNoSearch);
    // The record's own alternate name when the file system keeps one, else the name.
    EXPECT_FALSE(entry.ShortName.empty());
    if (entry.ShortName != entry.Name) EXPECT_LE(entry.ShortName.size(), 12u);
    CloseFind(entry);

    temp.File("plain.msg");
    ASSERT_NE(FindFirstEntry(temp.Text("plain.msg"), entry), kNoSearch);
    EXPECT_EQ(entry.ShortName, u"plain.msg");
    EXPECT_EQ(entry.Size, entry.SizeOnDisk);
    CloseFind(entry);
}

// The compressed size is what the system answers; Size when it cannot answer or the call
// is missing. Run in both forms.
TEST_F(NarrowForms, SizeOnDiskAsksTheSystemAndFallsBackToSize) {
    TempFolder temp;
    temp.File("five.bin", "12345");
    for (const bool wide : {false, true}) {
        ApiSupport set;
        set.ProbeDone = true;
        set.WideCompressedSize = wide;
        set.NarrowCompressedSizePresent = true;
        win32::ReplaceApiSupport(set);
        FileEntry entry;
        entry.Size = 999;
        entry.FullPath = temp.Text("five.bin");
        EXPECT_EQ(GetSizeOnDisk(entry), 5u) << "wide " << wide;
        entry.FullPath = temp.Text("missing.bin");
        EXPECT_EQ(GetSizeOnDisk(entry), 999u) << "wide " << wide;
    }
    Force(true, false);
    FileEntry entry;
    entry.Size = 999;
    entry.FullPath = temp.Text("five.bin");
    EXPECT_EQ(GetSizeOnDisk(entry), 999u) << "neither form available";
}

TEST_F(NarrowForms, ASearchKeepsTheFormItWasStartedIn) {
    TempFolder temp;
    temp.File("a.msg");
    temp.File("b.msg");
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text() + u"\\*.msg", entry), kNoSearch);
    win32::ReplaceApiSupport(ApiSupport{});  // the next step probes: wide from here on
    ASSERT_TRUE(FindNextEntry(entry));
    EXPECT_TRUE(entry.Name == u"a.msg" || entry.Name == u"b.msg");
    EXPECT_FALSE(FindNextEntry(entry));
    EXPECT_FALSE(entry.Failed);
    EXPECT_TRUE(win32::CurrentApiSupport().WideFindNext);
}

}  // namespace
}  // namespace ferrowick::fs
