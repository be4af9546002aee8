// Paths on the command line as users type them: with a trailing separator, and with names
// outside the ANSI code page (which Windows' narrow file functions cannot hold).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_runner.hpp"
#include "support/platform_paths.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::cli {
namespace {

using testing::CliResult;
using testing::RunCli;

class ConvertArguments : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir_.Root()); }
    // `relative` is UTF-8 with "/" between names; the result is the UTF-8 argument.
    std::string P(const std::string& relative) const {
        const std::u8string text = dir_.Native(relative).u8string();
        return std::string(text.begin(), text.end());
    }
    // inspect's lines after the first, which holds the store's name and creation stamp.
    static std::string Folders(const std::string& inspect) { return inspect.substr(inspect.find('\n') + 1); }
    ferrowick::testing::TempFolder dir_;
};

TEST_F(ConvertArguments, ATrailingSeparatorNamesTheSameFolder) {
    ASSERT_EQ(Run({"sample", P("s")}).status, 0);
    const CliResult plain = Run({"convert", P("s/Mail"), P("plain.pst")});
    const CliResult ending = Run({"convert", P("s/Mail") + ferrowick::testing::kSep8, P("ending.pst")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(ending.status, 0) << ending.err;

    const CliResult a = Run({"inspect", P("plain.pst")});
    const CliResult b = Run({"inspect", P("ending.pst")});
    EXPECT_TRUE(b.out.starts_with("Mail : Created - ")) << b.out;
    EXPECT_EQ(Folders(b.out), Folders(a.out));
    EXPECT_NE(Folders(a.out).find("\n    Sent ("), std::string::npos) << "the sample's Sent stays a folder of its own";
}

TEST_F(ConvertArguments, NamesOutsideTheAnsiCodePageAreReadAndWritten) {
    const std::string root = "\xCE\xA9 \xE6\x97\xA5\xE6\x9C\xAC";  // "Ω 日本"
    ASSERT_EQ(Run({"sample", P(root)}).status, 0);
    ASSERT_TRUE(std::filesystem::is_directory(dir_.Native(root + "/Mail")));

    const std::string store = root + "/\xC3\xBC \xE6\x97\xA5.pst";  // "ü 日.pst"
    const std::string report = root + "/r\xC3\xA9.json";
    const CliResult convert = Run({"convert", P(root + "/Mail"), P(store), "--report", P(report)});
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native(store)));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native(report)));

    const CliResult inspect = Run({"inspect", P(store)});
    EXPECT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_TRUE(inspect.out.starts_with("Mail : Created - ")) << inspect.out;
    EXPECT_EQ(Run({"check", P(store)}).status, 0);
    EXPECT_EQ(Run({"scan", P(root + "/Mail")}).status, 0);

    dir_.Folder("each \xC3\xA9");
    const CliResult multiple = Run({"convert", "--multiple", P(root), P("each \xC3\xA9")});
    EXPECT_EQ(multiple.status, 0) << multiple.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("each \xC3\xA9/Mail.pst")));

    // A name that is missing is still told apart from one that exists.
    const CliResult missing = Run({"inspect", P(root + "/none \xE6\x97\xA5.pst")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("File does not exist"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace ferrowick::cli
