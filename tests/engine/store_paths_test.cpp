#include <gtest/gtest.h>

#include "engine/store_paths.hpp"

namespace ferrowick {
namespace {

TEST(StoreRelativePath, TakesTheRootOffTheFrontAndUsesBackslashes) {
    EXPECT_EQ(StoreRelativePath(u"/src/Projects/2014", u"/src"), u"\\Projects\\2014");
    EXPECT_EQ(StoreRelativePath(u"/src/Projects/2014/", u"/src/"), u"Projects\\2014\\");
    EXPECT_EQ(StoreRelativePath(u"/src", u"/src"), u"");
}

TEST(StoreRelativePath, ARootOfSlashLeavesTheOtherSeparators) {
    EXPECT_EQ(StoreRelativePath(u"/Inbox/Old", u"/"), u"Inbox\\Old");
}

TEST(StoreRelativePath, RootTextDeeperDownStays) {
    EXPECT_EQ(StoreRelativePath(u"/m/src/x/m/src/y", u"/m/src"), u"\\x\\m\\src\\y");
}

TEST(StoreRelativePath, APathOutsideTheRootKeepsItsText) {
    EXPECT_EQ(StoreRelativePath(u"/m/srcX/a", u"/m/src"), u"\\m\\srcX\\a");
    EXPECT_EQ(StoreRelativePath(u"/M/src/a", u"/m/src"), u"\\M\\src\\a");
}

TEST(StoreRelativePath, WindowsFormWithExplicitSeparator) {
    EXPECT_EQ(StoreRelativePath(u"C:\\Src\\Inbox", u"C:\\Src", u'\\'), u"\\Inbox");
    EXPECT_EQ(StoreRelativePath(u"D:\\Sent\\2014", u"D:\\", u'\\'), u"Sent\\2014");
}

}  // namespace
}  // namespace ferrowick
