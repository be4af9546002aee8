// What a listing does on every platform: the states an entry goes through, the close rules,
// ftp paths, and the listing order's rules themselves.
#include <gtest/gtest.h>

#include <string>

#include "fs/directory_listing.hpp"
#include "fs/last_error.hpp"
#include "fs/listing_order.hpp"
#include "fs/path_separator.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

std::u16string Under(const TempFolder& temp, const std::u16string& rest) { return temp.Text() + kPathSeparator + rest; }

TEST(Listing, StepsThroughTheStatesOfTheEntry) {
    TempFolder temp;
    temp.File("only.msg", "12345");
    FileEntry entry;
    const std::u16string pattern = Under(temp, u"*.msg");
    const SearchHandle handle = FindFirstEntry(pattern, entry);
    ASSERT_NE(handle, kNoSearch);
    ASSERT_NE(handle, kSearchEnded);
    EXPECT_EQ(entry.Handle, handle);
    EXPECT_TRUE(entry.Valid);
    EXPECT_FALSE(entry.Failed);
    EXPECT_EQ(entry.ErrorCode, 0);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(entry.SearchPath, pattern);
    EXPECT_EQ(entry.Kind, kLocalPath);
    EXPECT_EQ(entry.ParentFolder, temp.Text() + kPathSeparator);
    EXPECT_EQ(entry.Name, u"only.msg");
    EXPECT_EQ(entry.ShortName, u"only.msg");
    EXPECT_EQ(entry.Extension, u"msg");
    EXPECT_EQ(entry.FullPath, Under(temp, u"only.msg"));
    EXPECT_TRUE(entry.IsFile);
    EXPECT_EQ(entry.Size, 5u);
    EXPECT_EQ(entry.SizeOnDisk, 5u);

    // The end of the listing is no failure, and the search is closed already.
    EXPECT_FALSE(FindNextEntry(entry));
    EXPECT_FALSE(entry.Valid);
    EXPECT_FALSE(entry.Failed);
    EXPECT_EQ(entry.ErrorCode, 0);
    EXPECT_EQ(entry.Handle, kSearchEnded);
    EXPECT_FALSE(CloseSearchHandle(handle)) << "the handle must be gone";
    EXPECT_TRUE(CloseFind(entry));  // nothing left to close
    EXPECT_EQ(entry.Handle, kNoSearch);
    EXPECT_EQ(LastError(), 0);
}

TEST(Listing, EarlyCloseEndsTheSearch) {
    TempFolder temp;
    temp.File("a");
    temp.File("b");
    FileEntry entry;
    const SearchHandle handle = FindFirstEntry(Under(temp, u"*"), entry);
    ASSERT_NE(handle, kNoSearch);
    EXPECT_TRUE(CloseFind(entry));
    EXPECT_EQ(entry.Handle, kNoSearch);
    EXPECT_FALSE(entry.Valid);
    EXPECT_FALSE(CloseSearchHandle(handle));
    // A handle that is no search: the close fails but the entry is marked closed.
    entry.Handle = 12345678;
    EXPECT_FALSE(CloseFind(entry));
    EXPECT_EQ(entry.Handle, kNoSearch);
    EXPECT_NE(LastError(), 0);
}

TEST(Listing, NextOnAFailedStartFailsAndLeavesHandleZero) {
    TempFolder temp;
    FileEntry entry;
    ASSERT_EQ(FindFirstEntry(Under(temp, u"nothing*"), entry), kNoSearch);
    EXPECT_FALSE(FindNextEntry(entry));
    EXPECT_TRUE(entry.Failed);
    EXPECT_NE(entry.ErrorCode, 0);
    EXPECT_NE(entry.ErrorCode, kNoMoreFiles);
    EXPECT_EQ(entry.Handle, kSearchEnded);
}

TEST(Listing, FtpPathsAreNotSearched) {
    FileEntry entry;
    entry.Handle = 77;
    entry.Failed = true;
    EXPECT_EQ(FindFirstEntry(u"FTP://host/dir/*", entry), kSearchEnded);
    EXPECT_EQ(entry.Kind, kFtpPath);
    EXPECT_FALSE(entry.Valid);
    EXPECT_FALSE(entry.Failed);
    EXPECT_EQ(entry.Handle, 77) << "the handle is left as it was";
}

TEST(ListingOrder, UpperCasesLettersBeyondAscii) {
    EXPECT_EQ(UpperCaseUnit(u'a'), u'A');
    EXPECT_EQ(UpperCaseUnit(u'é'), u'É');
    EXPECT_EQ(UpperCaseUnit(u'÷'), u'÷');
    EXPECT_EQ(UpperCaseUnit(u'ÿ'), u'Ÿ');
    EXPECT_EQ(UpperCaseUnit(u'ł'), u'Ł');
    EXPECT_EQ(UpperCaseUnit(u'ž'), u'Ž');
    EXPECT_EQ(UpperCaseUnit(u'ж'), u'Ж');
    EXPECT_EQ(UpperCaseUnit(u'ё'), u'Ё');
    EXPECT_EQ(UpperCaseUnit(u'ς'), u'Σ');  // unlike a compound file's names
    EXPECT_EQ(UpperCaseUnit(u'ｚ'), u'Ｚ');
    EXPECT_EQ(UpperCaseUnit(u'ı'), u'ı');
    EXPECT_EQ(UpperCaseUnit(u'µ'), u'µ');
    EXPECT_TRUE(ListsBefore(u"..", u"!"));
    EXPECT_TRUE(ListsBefore(u"abc", u"ABD"));
    EXPECT_TRUE(ListsBefore(u"ab", u"abc"));
    EXPECT_TRUE(ListsBefore(u"A", u"a"));  // equal ignoring case: by the name itself
}

}  // namespace
}  // namespace ferrowick::fs
