#include <gtest/gtest.h>

#include <fstream>

#include "fs/directory_listing.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using fs::kPathSeparator;
using testing::TempFolder;

TEST(NativeText, ValidUtf8RoundTripsThroughUtf16) {
    const std::string names[] = {"plain.msg", "Größe ü.msg", "日本語.msg", "emoji \xF0\x9F\x93\xA7.msg"};
    for (const auto& n : names) {
        const std::u16string wide = FromNative(n);
        EXPECT_EQ(ToNative(wide), n);
    }
    EXPECT_EQ(FromNative("\xE6\x97\xA5"), u"\u65E5");
    EXPECT_EQ(FromNative("\xF0\x9F\x93\xA7").size(), 2u);  // one surrogate pair
}

TEST(NativeText, InvalidBytesSurviveTheRoundTrip) {
    // Latin-1 bytes, a truncated sequence, an overlong slash and an encoded surrogate.
    const std::string names[] = {"caf\xE9.msg", "cut \xE6\x97", "over\xC0\xAFlong", "sur\xED\xA0\x80"};
    for (const auto& n : names) {
        const std::u16string wide = FromNative(n);
        EXPECT_EQ(ToNative(wide), n);
        for (char16_t c : wide) EXPECT_NE(c, u'/') << "an invalid byte must never become a separator";
    }
}

TEST(NativeText, PathsKeepEveryName) {
    TempFolder temp;
    const std::u16string name = u"caf\u00E9 \u65E5\u672C \U0001F4E7.msg";
    const std::u16string path = temp.Text() + kPathSeparator + name;
    EXPECT_EQ(FromPath(ToPath(path)), path);
    std::ofstream(ToPath(path), std::ios::binary) << "x";
    fs::FileEntry entry;
    ASSERT_NE(fs::FindFirstEntry(temp.Text() + kPathSeparator + u"*.msg", entry), fs::kNoSearch);
    EXPECT_EQ(entry.Name, name) << "the file has the name it was given";
    EXPECT_EQ(FromPath(ToPath(entry.FullPath).filename()), name);
    fs::CloseFind(entry);
}

TEST(NativeText, DecimalText) {
    EXPECT_EQ(DecimalText(0), u"0");
    EXPECT_EQ(DecimalText(-12), u"-12");
    EXPECT_EQ(DecimalText(2147483647), u"2147483647");
}

}  // namespace
}  // namespace ferrowick
