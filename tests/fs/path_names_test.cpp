#include <gtest/gtest.h>

#include <string>

#include "fs/path_names.hpp"
#include "fs/path_separator.hpp"

namespace ferrowick::fs {
namespace {

// Writes examples with "\" and reads them with this platform's separator.
std::u16string P(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'\\') c = kPathSeparator;
    return text;
}

std::u16string ParentOf(const std::u16string& path) {
    FileEntry entry;
    entry.ParentFolder = u"untouched";
    ParsePath(path, entry);
    return entry.ParentFolder;
}

TEST(LongPath, PrefixesDrivePathsAndRewritesUncPaths) {
    EXPECT_EQ(ToLongPath(u"C:\\Mail\\*"), std::u16string(u"\\\\?\\C:\\Mail\\*") + u'\0');
    EXPECT_EQ(ToLongPath(u"\\\\server\\share\\a.msg"), std::u16string(u"\\\\?\\UNC\\server\\share\\a.msg") + u'\0');
    // An already prefixed path starts with two backslashes and so is taken for UNC.
    EXPECT_EQ(ToLongPath(u"\\\\?\\C:\\x"), std::u16string(u"\\\\?\\UNC\\?\\C:\\x") + u'\0');
    // Nothing else is looked at: relative paths, spaces and dots pass through.
    EXPECT_EQ(ToLongPath(u" a/../b "), std::u16string(u"\\\\?\\ a/../b ") + u'\0');
    EXPECT_EQ(ToLongPath(u""), std::u16string(u"\\\\?\\") + u'\0');
}

TEST(ParsePath, ClassifiesLocalUncAndFtp) {
    EXPECT_EQ(PathKindOf(P(u"C:\\Mail")), kLocalPath);
    EXPECT_EQ(PathKindOf(P(u"\\\\server\\share")), kUncPath);
    EXPECT_EQ(PathKindOf(u"FTP://host/x"), kFtpPath);
    EXPECT_EQ(PathKindOf(u"ftp:/host"), kLocalPath);
    EXPECT_EQ(PathKindOf(P(u"\\")), kLocalPath);
}

TEST(ParsePath, ParentFolderKeepsItsSeparator) {
    EXPECT_EQ(ParentOf(P(u"C:\\Mail\\*")), P(u"C:\\Mail\\"));
    EXPECT_EQ(ParentOf(P(u"C:\\Mail\\")), P(u"C:\\"));  // a trailing separator is ignored
    EXPECT_EQ(ParentOf(P(u"C:\\")), u"");
    EXPECT_EQ(ParentOf(P(u"\\\\server\\share\\*")), P(u"\\\\server\\share\\"));
    EXPECT_EQ(ParentOf(P(u"\\\\server")), u"");  // the leading pair never counts
    EXPECT_EQ(ParentOf(P(u"\\\\server\\")), u"");
    EXPECT_EQ(ParentOf(u"name.msg"), u"");
    EXPECT_EQ(ParentOf(u""), u"");
}

TEST(ParsePath, FtpPathKeepsWhateverParentItHad) {
    FileEntry entry;
    entry.ParentFolder = u"before";
    ParsePath(u"ftp://host/dir/file", entry);
    EXPECT_EQ(entry.Kind, kFtpPath);
    EXPECT_EQ(entry.ParentFolder, u"before");
}

TEST(AddBackslash, TrimsSpacesAndEndsInOneSeparator) {
    EXPECT_EQ(AddBackslash(u"   "), P(u"\\"));
    EXPECT_EQ(AddBackslash(u""), P(u"\\"));
    EXPECT_EQ(AddBackslash(P(u"  C:\\Mail  ")), P(u"C:\\Mail\\"));
    EXPECT_EQ(AddBackslash(P(u"C:\\Mail\\")), P(u"C:\\Mail\\"));
    EXPECT_EQ(AddBackslash(u"\tx"), P(u"\tx\\"));  // only the space character is trimmed
}

TEST(TrimAtNull, CutsAtTheFirstNul) {
    EXPECT_EQ(TrimAtNull(u"plain"), u"plain");
    EXPECT_EQ(TrimAtNull(std::u16string(u"\0rest", 5)), u"");
    EXPECT_EQ(TrimAtNull(std::u16string(u"ab\0cd\0", 6)), u"ab");
    EXPECT_EQ(TrimAtNullView(std::u16string_view(u"ab\0cd", 5)), u"ab");
}

TEST(LeafRules, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(ExtensionOf(u"a.msg"), u"msg");
    EXPECT_EQ(ExtensionOf(u"archive.tar.gz"), u"gz");
    EXPECT_EQ(ExtensionOf(u".hidden"), u"hidden");
    EXPECT_EQ(ExtensionOf(u"ends."), u"");
    EXPECT_EQ(ExtensionOf(u".."), u"");
    EXPECT_EQ(ExtensionOf(u"README"), u"");
    EXPECT_EQ(FullPathOf(P(u"C:\\Mail\\"), u"a.msg"), P(u"C:\\Mail\\a.msg"));
    EXPECT_EQ(FullPathOf(u"", u"a.msg"), u"a.msg");
}

TEST(FileNameAndParent, WindowsFormExamples) {
    EXPECT_EQ(ParentFolderOf(u"C:\\a\\b.msg", u'\\'), u"C:\\a\\");
    EXPECT_EQ(ParentFolderOf(u"b.msg", u'\\'), u"");
    EXPECT_EQ(ParentFolderOf(u"C:\\a\\", u'\\'), u"C:\\a\\");
    EXPECT_EQ(FileNameOf(u"C:\\a\\", u'\\'), u"");
    EXPECT_EQ(FileNameOf(u"C:\\a\\b.msg", u'\\'), u"b.msg");
    EXPECT_EQ(FileNameOf(u"b.msg", u'\\'), u"b.msg");
    EXPECT_EQ(FileNameOf(u"C:\\Mail", u'\\'), u"Mail");
}

TEST(FileNameAndParent, PlatformSeparatorByDefault) {
#ifdef _WIN32
    EXPECT_EQ(FileNameOf(u"D:\\Users\\me\\Mail"), u"Mail");
    EXPECT_EQ(FileNameOf(u"D:\\"), u"");
    EXPECT_EQ(ParentFolderOf(u"D:\\Users\\me\\a.msg"), u"D:\\Users\\me\\");
    EXPECT_EQ(ParentFolderOf(u"D:\\a.msg"), u"D:\\");
    EXPECT_EQ(FileNameOf(u"\\\\server\\share\\Mail"), u"Mail");
    EXPECT_EQ(ParentFolderOf(u"\\\\server\\share\\a.msg"), u"\\\\server\\share\\");
#else
    EXPECT_EQ(FileNameOf(u"/home/me/Mail"), u"Mail");
    EXPECT_EQ(FileNameOf(u"/"), u"");
    EXPECT_EQ(ParentFolderOf(u"/home/me/a.msg"), u"/home/me/");
    // A backslash is an ordinary character of a Linux file name.
    EXPECT_EQ(FileNameOf(u"/m/a\\b.msg"), u"a\\b.msg");
#endif
}

}  // namespace
}  // namespace ferrowick::fs
