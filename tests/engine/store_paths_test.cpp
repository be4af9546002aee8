#include <gtest/gtest.h>

#include <string>

#include "engine/store_paths.hpp"
#include "support/platform_paths.hpp"

namespace ferrowick {
namespace {

// Examples are written from the top of a Linux tree ("/src/x"); on Windows they start at a
// drive root ("D:\src\x"), so a root of "/" is the drive's own root "D:\".
#ifdef _WIN32
const std::u16string kTop = u"D:";
#else
const std::u16string kTop = u"";
#endif

std::u16string P(const std::u16string& path) { return kTop + testing::PlatformPath(path); }

TEST(StoreRelativePath, TakesTheRootOffTheFrontAndUsesBackslashes) {
    EXPECT_EQ(StoreRelativePath(P(u"/src/Projects/2014"), P(u"/src")), u"\\Projects\\2014");
    EXPECT_EQ(StoreRelativePath(P(u"/src/Projects/2014/"), P(u"/src/")), u"Projects\\2014\\");
    EXPECT_EQ(StoreRelativePath(P(u"/src"), P(u"/src")), u"");
}

TEST(StoreRelativePath, ARootOfSlashLeavesTheOtherSeparators) {
    EXPECT_EQ(StoreRelativePath(P(u"/Inbox/Old"), P(u"/")), u"Inbox\\Old");
}

TEST(StoreRelativePath, RootTextDeeperDownStays) {
    EXPECT_EQ(StoreRelativePath(P(u"/m/src/x/m/src/y"), P(u"/m/src")), u"\\x\\m\\src\\y");
}

TEST(StoreRelativePath, APathOutsideTheRootKeepsItsText) {
    EXPECT_EQ(StoreRelativePath(P(u"/m/srcX/a"), P(u"/m/src")), kTop + u"\\m\\srcX\\a");
#ifndef _WIN32  // Windows names ignore case; there the root is always the exact prefix discovery built on
    EXPECT_EQ(StoreRelativePath(u"/M/src/a", u"/m/src"), u"\\M\\src\\a");
#endif
}

#ifdef _WIN32
TEST(StoreRelativePath, UncRootsAreTakenOffLikeDrivePaths) {
    EXPECT_EQ(StoreRelativePath(u"\\\\server\\share\\Mail\\Inbox", u"\\\\server\\share\\Mail"), u"\\Inbox");
    EXPECT_EQ(StoreRelativePath(u"\\\\server\\share\\Inbox\\Old", u"\\\\server\\share\\"), u"Inbox\\Old");
}
#endif

TEST(StoreRelativePath, WindowsFormWithExplicitSeparator) {
    EXPECT_EQ(StoreRelativePath(u"C:\\Src\\Inbox", u"C:\\Src", u'\\'), u"\\Inbox");
    EXPECT_EQ(StoreRelativePath(u"D:\\Sent\\2014", u"D:\\", u'\\'), u"Sent\\2014");
}

}  // namespace
}  // namespace ferrowick
