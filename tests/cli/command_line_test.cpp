// Every command as a new user or a script meets it: help on standard output with exit 0,
// usage errors and missing inputs on standard error with exit 2, and the wizard's refusal
// to start without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "cli_runner.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::cli {
namespace {

using testing::CliResult;
using testing::RunCli;

class CommandLineTest : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        return RunCli(args, dir_.Root(), env);
    }
    std::string P(const std::string& relative) const { return dir_.Native(relative).string(); }
    ferrowick::testing::TempFolder dir_;
};

TEST_F(CommandLineTest, HelpOfEveryCommandGoesToStandardOutputWithExitZero) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                                 {"-h"},
                                                 {"convert", "--help"},
                                                 {"inspect", "--help"},
                                                 {"check", "--help"},
                                                 {"scan", "--help"},
                                                 {"sample", "--help"},
                                                 {"check", "-h"}}) {
        const CliResult r = Run(args);
        const std::string shown = args.size() > 1 ? args[0] : "ferrowick";
        EXPECT_EQ(r.status, 0) << shown;
        EXPECT_EQ(r.err, "") << shown;
        EXPECT_NE(r.out.find("Usage: ferrowick"), std::string::npos) << shown << ": " << r.out;
        EXPECT_NE(r.out.find("Exit status"), std::string::npos) << shown << ": " << r.out;
    }
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("ferrowick ", 0), 0u) << version.out;
}

TEST_F(CommandLineTest, UsageErrorsAndMissingInputsGoToStandardErrorWithExitTwo) {
    dir_.Folder("src");
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"bogus"},
             {"convert"},
             {"convert", P("src")},
             {"convert", P("missing"), P("o.pst")},
             {"convert", "--bogus", P("src"), P("o.pst")},
             {"convert", "--multiple", P("src")},
             {"convert", "--jobs", "2", P("src"), P("o.pst")},  // --jobs needs --multiple
             {"convert", "--multiple", "--jobs", "0", P("src"), P("src")},
             {"convert", "--multiple", P("src"), P("missing-out")},
             {"inspect"},
             {"inspect", P("missing.pst")},
             {"inspect", "--bogus", P("missing.pst")},
             {"check"},
             {"check", P("missing.pst")},
             {"check", P("a.pst"), P("b.pst")},
             {"scan"},
             {"scan", P("missing")},
             {"sample"},
             {"sample", P("a"), P("b")},
         }) {
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 2) << shown << r.err;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << shown << r.err;
    }
}

#ifndef _WIN32  // the Windows program is built without the wizard
TEST_F(CommandLineTest, WithoutADisplayTheWizardSaysSoInOneLine) {
    const CliResult r = Run({}, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("needs a display"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ferrowick --help"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}
#endif

TEST_F(CommandLineTest, SampleRefusesAnExistingMailFolderAndLeavesItsFilesAlone) {
    const CliResult first = Run({"sample", P("one")});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("one/Mail/Inbox/Photo.msg")));

    dir_.File("two/Mail/Inbox/Photo.msg", "the user's own photo message");
    const CliResult second = Run({"sample", P("two")});
    EXPECT_EQ(second.status, 2);
    EXPECT_NE(second.err.find(P("two/Mail")), std::string::npos) << second.err;
    EXPECT_EQ(testing::ReadText(dir_.Native("two/Mail/Inbox/Photo.msg")), "the user's own photo message");
    EXPECT_FALSE(std::filesystem::exists(dir_.Native("two/Mail/Welcome.msg")));
}

// File and folder arguments are UTF-8 on every platform: a name outside ASCII reaches each
// command as the same file (on Windows the library would read it in the ANSI code page), and
// the sample tree's own non-ASCII name is written as it is.
TEST_F(CommandLineTest, NamesOutsideAsciiReachEveryCommandAsTheyAre) {
    const auto utf8 = [&](const std::string& relative) { return ToUtf8(dir_.Text(relative)); };
    const CliResult sample = Run({"sample", utf8("Ärger")});
    ASSERT_EQ(sample.status, 0) << sample.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("Ärger/Mail/Inbox/Grüße aus Budapest.msg")));

    const CliResult scan = Run({"scan", utf8("Ärger/Mail")});
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_NE(scan.out.find("Grüße aus Budapest.msg"), std::string::npos) << scan.out;

    const CliResult convert =
        Run({"convert", utf8("Ärger/Mail"), utf8("Ärger/Straße.pst"), "--report", utf8("Ärger/Bericht.json")});
    EXPECT_EQ(convert.status, 0) << convert.out << convert.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("Ärger/Straße.pst")));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("Ärger/Bericht.json")));

    const CliResult again =
        Run({"convert", utf8("Ärger/Mail"), utf8("Ärger/Other.pst"), "--report", utf8("Ärger/Bericht.json")});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("Path already exists"), std::string::npos) << again.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.Native("Ärger/Other.pst")));

    const CliResult check = Run({"check", utf8("Ärger/Straße.pst")});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    const CliResult inspect = Run({"inspect", utf8("Ärger/Straße.pst")});
    EXPECT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("Inbox (7)"), std::string::npos) << inspect.out;

    dir_.Folder("Ärger/Stores");
    const CliResult multiple =
        Run({"convert", "--multiple", utf8("Ärger/Mail"), utf8("Ärger/Stores"), "--only", "Inbox"});
    EXPECT_EQ(multiple.status, 0) << multiple.out << multiple.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.Native("Ärger/Stores/Inbox.pst")));
}

}  // namespace
}  // namespace ferrowick::cli
