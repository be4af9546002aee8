#include <gtest/gtest.h>

#include "engine/store_folder_names.hpp"
#include "fs/text.hpp"
#include "migration_fixture.hpp"

namespace ferrowick {
namespace {

TEST(StoreFolderName, BytesThatAreNotUtf8ReadAsWindows1252AndTheResultIsValidText) {
    const std::u16string disk = FromNative("caf\xE9 \x80 \x81 \xFF");
    ASSERT_NE(disk, u"caf\u00E9 \u20AC \uFFFD \u00FF");  // kept losslessly on the disk side
    EXPECT_EQ(StoreFolderName(disk), u"caf\u00E9 \u20AC \uFFFD \u00FF");
    EXPECT_EQ(ToNative(disk), "caf\xE9 \x80 \x81 \xFF");
    // Valid text, pairs included, is left alone; a lone surrogate of another origin is not.
    EXPECT_EQ(StoreFolderName(u"Caf\u00E9 \U0001F600"), u"Caf\u00E9 \U0001F600");
    EXPECT_EQ(StoreFolderName(std::u16string(u"a") + char16_t(0xD800) + u"b"), u"a\uFFFDb");
}

TEST(StoreFolderName, ABackslashIsACharacterWhereItIsNotTheSeparator) {
    EXPECT_EQ(StoreFolderName(u"x\\y", u'/'), u"x\uFF3Cy");
    EXPECT_EQ(StoreFolderName(u"x\\y", u'\\'), u"x\\y");  // cannot be part of a Windows name
}

TEST(StoreFolderNames, PathsKeepTheirShapeAndNameEachLevelOnce) {
    StoreFolderNames names;
    names.Learn({u"/a\\b", u"/a\\b/c\\d"}, u'/');
    EXPECT_EQ(names.StorePath(u"/a\\b/c\\d/", u'/'), u"\\a\uFF3Cb\\c\uFF3Cd\\");
    EXPECT_EQ(names.StorePath(u"a\\b", u'/'), u"a\uFF3Cb");
    EXPECT_EQ(names.StorePath(u"", u'/'), u"");
}

TEST(StoreFolderNames, ARenderedNameNeverMergesIntoASiblingsFolder) {
    // On disk: a Latin-1 "café", a UTF-8 "CAFÉ" (the store ignores letter case), the same
    // Latin-1 name in another parent, and a name that already holds the stand-in.
    const std::u16string latin = FromNative("caf\xE9");
    StoreFolderNames names;
    names.Learn({u"/" + latin, u"/CAF\u00C9", u"/" + latin + u"/sub", u"/other/" + latin, u"/x\uFF3Cy", u"/x\\y"},
                u'/');
    EXPECT_EQ(names.StorePath(u"/CAF\u00C9", u'/'), u"\\CAF\u00C9");  // a valid name keeps its own
    EXPECT_EQ(names.StorePath(u"/" + latin, u'/'), u"\\caf\u00E9 (2)");
    EXPECT_EQ(names.StorePath(u"/" + latin + u"/sub/", u'/'), u"\\caf\u00E9 (2)\\sub\\");
    EXPECT_EQ(names.StorePath(u"/other/" + latin, u'/'), u"\\other\\caf\u00E9");
    EXPECT_EQ(names.StorePath(u"/x\uFF3Cy", u'/'), u"\\x\uFF3Cy");
    EXPECT_EQ(names.StorePath(u"/x\\y", u'/'), u"\\x\uFF3Cy (2)");
}

}  // namespace

namespace testing {
namespace {

using Paths = std::vector<std::u16string>;

class StoreFolderNaming : public MigrationTest {};

// Only a Linux tree can hold these names: on Windows a backslash is the separator, and names
// are UTF-16, never bytes to be read as Windows-1252.
#ifndef _WIN32
TEST_F(StoreFolderNaming, AFolderWhoseNameHoldsABackslashIsOneStoreFolder) {
    const auto inside = tree_.File("Src/x\\y/a.msg");
    const auto deeper = tree_.File("Src/x\\y/z/b.msg");
    Queue({tree_.Path("Src/x\\y"), tree_.Path("Src/x\\y/z")}, {inside, deeper});
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().createdFolders, (Paths{u"x\uFF3Cy", u"x\uFF3Cy\\z"}));
    EXPECT_EQ(Out().SavedIn(u"x\uFF3Cy"), Paths{inside});
    EXPECT_EQ(Out().SavedIn(u"x\uFF3Cy\\z"), Paths{deeper});
    EXPECT_FALSE(Out().HasFolder(u"x"));
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}

TEST_F(StoreFolderNaming, ASourceFolderWhoseOwnNameHoldsABackslashConvertsEveryFile) {
    const auto top = tree_.File("a\\b/a.msg");
    const auto nested = tree_.File("a\\b/Sub/b.msg");
    Queue({tree_.Path("a\\b/Sub")}, {top, nested});
    Migrate(u"a\\b", tree_.Path("a\\b"));

    EXPECT_EQ(Out().displayName.substr(0, 16), u"a\uFF3Cb : Created - ");
    EXPECT_EQ(Out().SavedIn(u""), Paths{top});
    EXPECT_EQ(Out().SavedIn(u"Sub"), Paths{nested});
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}

TEST_F(StoreFolderNaming, FolderNamesThatAreNotUtf8AreStoredAsValidTextAndKeptApart) {
    const auto latin = tree_.File("Src/caf\xE9/a.msg");
    const auto utf8 = tree_.File("Src/CAF\xC3\x89/b.msg");
    Queue({tree_.Path("Src/caf\xE9"), tree_.Path("Src/CAF\xC3\x89")}, {latin, utf8});
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().SavedIn(u"CAF\u00C9"), Paths{utf8});
    EXPECT_EQ(Out().SavedIn(u"caf\u00E9 (2)"), Paths{latin});
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}
#endif

}  // namespace
}  // namespace testing
}  // namespace ferrowick
