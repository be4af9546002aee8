// A child's arguments survive the trip through one Windows command line exactly.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/win32/command_line_quoting.hpp"

namespace ferrowick::cli {
namespace {

std::vector<std::u16string> ParsedBack(const std::vector<std::u16string>& arguments) {
    std::u16string line = u"ferrowick.exe";
    for (const auto& a : arguments) line += u" " + QuoteArgument(a);
    int count = 0;
    wchar_t** parsed = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(line.c_str()), &count);
    std::vector<std::u16string> back;
    for (int i = 1; i < count; ++i) back.emplace_back(reinterpret_cast<const char16_t*>(parsed[i]));
    LocalFree(parsed);
    return back;
}

TEST(CommandLineQuoting, SpacesQuotesAndBackslashesComeBackAsTheyWere) {
    const std::vector<std::u16string> arguments{u"convert",
                                                u"C:\\Mail\\Old mail",
                                                u"D:\\",
                                                u"\\\\server\\share\\pst out\\",
                                                u"say \"hi\"",
                                                u"ends with \\\\",
                                                u"",
                                                u"tab\there",
                                                u"Ünïcödé 日本",
                                                u"a\\\\\"b"};
    EXPECT_EQ(ParsedBack(arguments), arguments);
    EXPECT_EQ(QuoteArgument(u"plain"), u"plain");  // nothing to protect: left bare
}

}  // namespace
}  // namespace ferrowick::cli
