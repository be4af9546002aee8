#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "fs/directory_listing.hpp"
#include "fs/last_error.hpp"
#include "fs/listing_order.hpp"
#include "fs/name_pattern.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

std::u16string Under(const TempFolder& temp, const std::u16string& rest) { return temp.Text() + kPathSeparator + rest; }

// Every name a listing hands out, in order; the search must end by itself.
std::vector<std::string> ListNames(const std::u16string& pattern, ListingDetail detail = ListingDetail::Full) {
    std::vector<std::string> names;
    FileEntry entry;
    if (FindFirstEntry(pattern, entry, detail) == kNoSearch) return names;
    do names.push_back(ToUtf8(entry.Name));
    while (FindNextEntry(entry));
    EXPECT_FALSE(entry.Failed);
    EXPECT_EQ(entry.Handle, kSearchEnded);
    return names;
}

TEST(Listing, DotsFirstThenNamesIgnoringCaseOnEveryFileSystem) {
    TempFolder temp;
    for (const char* name : {"b.msg", "A.msg", "a.msg", "_x", "!bang", "Zeta", "élan", "Émile", "c"}) temp.File(name);
    temp.Folder("B");
    // "_" comes after the letters once they are upper-cased; ties go to the name itself.
    const std::vector<std::string> expected = {".",     "..", "!bang", "A.msg", "a.msg", "B",
                                               "b.msg", "c",  "Zeta",  "_x",    "élan",  "Émile"};
    EXPECT_EQ(ListNames(Under(temp, u"*")), expected);
    EXPECT_EQ(ListNames(Under(temp, u"*.*")), expected);  // "*.*" also takes names without a dot
    EXPECT_EQ(ListNames(Under(temp, u"*"), ListingDetail::NameAndKind), expected);
}

TEST(Listing, PatternsSelectNames) {
    TempFolder temp;
    for (const char* name : {"a.msg", "b.MSG", "c.msg.txt", "d", "ab.msg"}) temp.File(name);
    EXPECT_EQ(ListNames(Under(temp, u"*.msg")), (std::vector<std::string>{"a.msg", "ab.msg"}));  // case-sensitive
    EXPECT_EQ(ListNames(Under(temp, u"?.msg")), (std::vector<std::string>{"a.msg"}));
    EXPECT_EQ(ListNames(Under(temp, u"*b*")), (std::vector<std::string>{"ab.msg", "b.MSG"}));
    EXPECT_EQ(ListNames(Under(temp, u"d")), (std::vector<std::string>{"d"}));  // a name without wildcards
    EXPECT_TRUE(MatchesPattern(u"", u"*"));
    EXPECT_TRUE(MatchesPattern(u"x.y.z", u"*.*.*"));
    EXPECT_FALSE(MatchesPattern(u"x.y", u"*.*.*"));
    EXPECT_TRUE(MatchesPattern(u"aXbXc", u"a*b*c"));
    EXPECT_FALSE(MatchesPattern(u"abc", u"a?"));
}

TEST(Listing, NoMatchReportsTheNotFoundCode) {
    TempFolder temp;
    temp.File("a.txt");
    FileEntry entry;
    EXPECT_EQ(FindFirstEntry(Under(temp, u"*.msg"), entry), kNoSearch);
    EXPECT_FALSE(entry.Valid);
    EXPECT_TRUE(entry.Failed);
    EXPECT_EQ(entry.ErrorCode, ENOENT);
    EXPECT_EQ(LastError(), ENOENT);
    EXPECT_EQ(entry.Handle, kNoSearch);

    EXPECT_EQ(FindFirstEntry(Under(temp, u"missing" + kPathSeparatorText + u"*"), entry), kNoSearch);
    EXPECT_EQ(entry.ErrorCode, ENOENT);
    EXPECT_EQ(FindFirstEntry(Under(temp, u"a.txt" + kPathSeparatorText + u"*"), entry), kNoSearch);
    EXPECT_EQ(entry.ErrorCode, ENOTDIR);
    EXPECT_EQ(FindFirstEntry(Under(temp, u"absent"), entry), kNoSearch);
    EXPECT_EQ(entry.ErrorCode, ENOENT);
    EXPECT_NE(entry.ErrorCode, kNoMoreFiles);
}

TEST(Listing, NamesThatAreNotUtf8SurviveAndOpenTheSameFile) {
    TempFolder temp;
    const std::string rawName = "caf\xE9 \xFF.msg";  // Latin-1 bytes, invalid as UTF-8
    temp.File(rawName, "payload");
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(Under(temp, u"caf*"), entry), kNoSearch);
    EXPECT_EQ(ToNative(entry.Name), rawName);
    EXPECT_EQ(entry.Extension, u"msg");
    EXPECT_EQ(entry.Size, 7u);
    std::ifstream in(ToNative(entry.FullPath), std::ios::binary);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "payload");
    CloseFind(entry);
}

TEST(Listing, SizesCountBothHalvesUnsigned) {
    TempFolder temp;
    const std::uint64_t size = 0x1'8000'0001ull;  // above 4 GiB, low half with its top bit set
    temp.File("big.bin");
    ASSERT_EQ(truncate(temp.Native("big.bin").c_str(), static_cast<off_t>(size)), 0);  // sparse
    temp.Folder("sub");
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(Under(temp, u"big.bin"), entry), kNoSearch);
    EXPECT_EQ(entry.Size, size);
    EXPECT_EQ(entry.SizeOnDisk, size);
    CloseFind(entry);
    ASSERT_NE(FindFirstEntry(Under(temp, u"sub"), entry), kNoSearch);
    EXPECT_TRUE(entry.IsFolder);
    EXPECT_EQ(entry.Size, 0u);
    EXPECT_EQ(entry.SizeOnDisk, 0u);
    CloseFind(entry);
    EXPECT_EQ(ToUInt64(0x80000000u, 0), 0x80000000ull);
    EXPECT_EQ(ToUInt64(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(ToUInt64(1, 2), 0x2'0000'0001ull);
}

TEST(Listing, NameAndKindListingsFillNamesAndKindsOnly) {
    TempFolder temp;
    temp.File("f.msg", "abc");
    temp.File(".h");
    temp.Folder("d");
    ASSERT_EQ(symlink("d", temp.Native("link").c_str()), 0);
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(Under(temp, u"*"), entry, ListingDetail::NameAndKind), kNoSearch);
    std::vector<std::pair<std::string, std::uint32_t>> seen;
    do {
        seen.emplace_back(ToUtf8(entry.Name), entry.Attributes);
        EXPECT_EQ(entry.Size, 0u);
        EXPECT_EQ(entry.LastWritten.Raw, 0u);
        EXPECT_EQ(entry.FullPath, Under(temp, entry.Name));
    } while (FindNextEntry(entry));
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {{".", 0x10}, {"..", 0x10},    {".h", 0x02},
                                                                         {"d", 0x10}, {"f.msg", 0x80}, {"link", 0x410}};
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace ferrowick::fs
