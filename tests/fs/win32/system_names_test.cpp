// Which paths the wide calls get in the extended-length form, and which as they are.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "fs/win32/system_names.hpp"

namespace ferrowick::fs::win32 {
namespace {

TEST(WidePath, AbsolutePlainPathsTakeTheExtendedForm) {
    EXPECT_EQ(WidePath(u"C:\\Mail\\*"), L"\\\\?\\C:\\Mail\\*");
    EXPECT_EQ(WidePath(u"d:\\"), L"\\\\?\\d:\\");
    EXPECT_EQ(WidePath(u"C:\\Mail\\nul"), L"\\\\?\\C:\\Mail\\nul") << "a name, not the device";
    EXPECT_EQ(WidePath(u"\\\\server\\share\\a.msg"), L"\\\\?\\UNC\\server\\share\\a.msg");
}

TEST(WidePath, PathsTheSystemMustResolveGoAsGiven) {
    for (const char16_t* path : {u"Mail\\a.msg", u"C:Mail", u"\\Mail", u"C:/Mail/a.msg", u"C:\\Mail\\..\\b",
                                 u"C:\\Mail\\.", u"\\\\?\\C:\\x", u"\\\\.\\pipe\\p", u"NUL", u""}) {
        const std::u16string text(path);
        EXPECT_EQ(WidePath(text), std::wstring(text.begin(), text.end())) << std::string(text.begin(), text.end());
    }
}

TEST(WidePath, LongPathsThatNeedResolvingAreMadeAbsoluteFirst) {
    const std::u16string name(100, u'n');
    const std::u16string relative = name + u"\\" + name + u"\\" + name;  // 302 characters, relative
    const std::wstring wide = WidePath(relative);
    ASSERT_EQ(wide.rfind(L"\\\\?\\", 0), 0u);
    wchar_t current[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_GT(length, 0u);
    std::wstring expected = L"\\\\?\\" + std::wstring(current, length);
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_EQ(wide, expected + std::wstring(relative.begin(), relative.end()));
    EXPECT_EQ(WidePath(u"C:/" + relative), L"\\\\?\\C:\\" + std::wstring(relative.begin(), relative.end()));
}

TEST(AnsiText, RoundTripsWhatTheCodePageHolds) {
    EXPECT_EQ(FromAnsi(AnsiPath(u"C:\\Mail\\plain.msg")), u"C:\\Mail\\plain.msg");
    EXPECT_EQ(AnsiPath(u""), "");
    EXPECT_EQ(FromAnsi(""), u"");
}

}  // namespace
}  // namespace ferrowick::fs::win32
