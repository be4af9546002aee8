// Text written to a redirected stream is UTF-8 on every platform, formatted as printf does
// (with the C99 conversions on Windows too); a file is no terminal and has no width.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/console_output.hpp"
#include "cli/line_fitting.hpp"

namespace ferrowick::cli {
namespace {

std::string Contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

TEST(ConsoleOutput, RedirectedTextIsUtf8AndFormattedAsPrintfDoes) {
    std::FILE* file = std::tmpfile();
    ASSERT_TRUE(file);
    EXPECT_FALSE(IsTerminal(file));
    EXPECT_EQ(TerminalColumns(file), 0u);
    EXPECT_EQ(LineWidthFor(file), 80u);
    PrintTo(file, "%s: %zu messages, %d%%\n", "Café 日本", static_cast<std::size_t>(12345678901ull), 50);
    WriteText(file, "\r\x1b[K…\n");  // a redirected stream gets the escape as it is
    EXPECT_EQ(Contents(file), "Café 日本: 12345678901 messages, 50%\n\r\x1b[K…\n");
    std::fclose(file);
}

TEST(LineFitting, AWindowsPathIsShortenedFromItsDriveOn) {
    const std::string line = "Migrating 12 items from C:\\Users\\ann\\Documents\\Old mail\\2014\\Quarterly figures\\";
    for (std::size_t width : {40u, 50u, 60u}) {
        const std::string fitted = FitToWidth(line, width);
        EXPECT_EQ(DisplayWidth(fitted), width) << fitted;
        EXPECT_EQ(fitted.rfind("Migrating 12 items from C:\\Users", 0), 0u) << fitted;
        EXPECT_TRUE(fitted.ends_with("figures\\")) << fitted;
    }
}

}  // namespace
}  // namespace ferrowick::cli
