// The convert and inspect commands as a user runs them: exit statuses, the files they
// make and leave alone, and inspect's JSON.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/terminal_status_board.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

namespace fsys = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
};

Result RunFerrowick(const std::string& args) {
    Result r;
    const std::string command = std::string(FERROWICK_BINARY) + " " + args + " 2>/dev/null";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) r.out.append(buf, n);
        const int rc = ::pclose(pipe);
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    return r;
}

class ConvertCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fsys::temp_directory_path() / ("ferrowick-cli-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fsys::remove_all(dir_);
        fsys::create_directories(dir_ / "out");
    }
    void TearDown() override { fsys::remove_all(dir_); }

    void File(const fsys::path& relative, const std::string& content = "x") {
        fsys::create_directories((dir_ / relative).parent_path());
        std::ofstream(dir_ / relative) << content;
    }
    std::string Q(const fsys::path& p) const { return "'" + p.string() + "'"; }

    fsys::path dir_;
};

TEST_F(ConvertCliTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunFerrowick("convert").status, 2);
    EXPECT_EQ(RunFerrowick("convert only-one-argument").status, 2);
    EXPECT_EQ(RunFerrowick("convert " + Q(dir_ / "missing") + " " + Q(dir_ / "o.pst")).status, 2);
    EXPECT_EQ(RunFerrowick("convert --multiple " + Q(dir_)).status, 2);
    EXPECT_EQ(RunFerrowick("convert --bogus a b").status, 2);
    EXPECT_EQ(RunFerrowick("inspect").status, 2);
    EXPECT_EQ(RunFerrowick("inspect " + Q(dir_ / "missing.pst")).status, 2);
    EXPECT_EQ(RunFerrowick("convert --help").status, 0);
    EXPECT_EQ(RunFerrowick("--help").status, 0);
}

TEST_F(ConvertCliTest, ConvertsATreeIntoAStoreThatInspectShows) {
    File("Mail/Projects/2014/notes.txt");
    File("Mail/Inbox/readme.txt");
    const Result r = RunFerrowick("convert " + Q(dir_ / "Mail") + " " + Q(dir_ / "out/Mail.pst"));
    EXPECT_EQ(r.status, 0);  // every file was handled: none of them is a message file
    ASSERT_TRUE(fsys::is_regular_file(dir_ / "out/Mail.pst"));
    EXPECT_NE(r.out.find("Messages Converted Successfully."), std::string::npos) << r.out;

    const Result text = RunFerrowick("inspect " + Q(dir_ / "out/Mail.pst"));
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Mail : Created - "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("      2014 (0)"), std::string::npos) << text.out;
    const Result json = RunFerrowick("inspect --json " + Q(dir_ / "out/Mail.pst"));
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\"file\": ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"name\": \"Projects\", \"messages\": 0, \"unread\": 0, \"folders\": ["), std::string::npos) << json.out;
    EXPECT_EQ(RunFerrowick("check " + Q(dir_ / "out/Mail.pst")).status, 0);
}

TEST_F(ConvertCliTest, MessageFilesThatCannotBeImportedAreListedWithExitOne) {
    File("Mail/a.msg", "not really a message");
    const Result r = RunFerrowick("convert " + Q(dir_ / "Mail") + " " + Q(dir_ / "out/Mail.pst"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("1 could not be converted."), std::string::npos) << r.out;
    EXPECT_TRUE(fsys::is_regular_file(dir_ / "out/Mail.pst"));
}

TEST_F(ConvertCliTest, AnExistingFileThatIsNoStoreIsLeftAloneWithExitTwo) {
    File("Mail/a.txt");
    File("out/Mail.pst", "keep me");
    EXPECT_EQ(RunFerrowick("convert " + Q(dir_ / "Mail") + " " + Q(dir_ / "out/Mail.pst")).status, 2);
    std::ifstream in(dir_ / "out/Mail.pst");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "keep me");
}

TEST_F(ConvertCliTest, MultipleModeMakesOneStorePerChosenSubfolder) {
    File("Root/Alpha/a.txt");
    File("Root/Beta/b.txt");
    File("Root/Gamma/c.txt");
    EXPECT_EQ(RunFerrowick("convert --multiple " + Q(dir_ / "Root") + " " + Q(dir_ / "out") + " --only Alpha --only Gamma").status, 0);
    EXPECT_TRUE(fsys::is_regular_file(dir_ / "out/Alpha.pst"));
    EXPECT_FALSE(fsys::exists(dir_ / "out/Beta.pst"));
    EXPECT_TRUE(fsys::is_regular_file(dir_ / "out/Gamma.pst"));
    EXPECT_EQ(RunFerrowick("convert --multiple " + Q(dir_ / "Root") + " " + Q(dir_ / "out") + " --only Delta").status, 2);
}

TEST(TerminalStatusBoard, KeepsEveryUpdateButRepaintsSparingly) {
    FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    TerminalStatusBoard board(sink, false);
    for (int i = 0; i <= 10000; ++i) {
        board.SetProgressValue(static_cast<float>(i) / 100.0f);
        board.SetFrameConversion(u"Reading Messages && Email Metadata - (" + DecimalText(i) + u" of 10000) File(s)");
    }
    EXPECT_FLOAT_EQ(board.ProgressValue(), 100.0f);
    EXPECT_EQ(board.FrameConversion(), u"Reading Messages && Email Metadata - (10000 of 10000) File(s)");
    EXPECT_LE(board.Repaints(), 5);
    board.Finish();
    std::rewind(sink);
    std::string shown;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, sink)) shown.append(buf, n);
    EXPECT_NE(shown.find("Reading Messages & Email Metadata - (10000 of 10000) File(s)"), std::string::npos) << shown;
    std::fclose(sink);
}

}  // namespace
}  // namespace ferrowick::cli

namespace ferrowick::cli {
namespace {

// Ctrl-C stops the run through the Stop protocol: the question is answered Yes, the store is
// released as after a confirmed Stop and stays sound.
TEST_F(ConvertCliTest, InterruptStopsTheRunAndKeepsASoundStore) {
    for (int i = 0; i < 4000; ++i) File("Mail/F" + std::to_string(i % 8) + "/m" + std::to_string(i) + ".msg");
    const fsys::path output = dir_ / "out/Mail.pst";
    const fsys::path log = dir_ / "stderr.txt";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen(log.c_str(), "w", stderr);
        std::freopen("/dev/null", "w", stdout);
        ::execl(FERROWICK_BINARY, FERROWICK_BINARY, "convert", (dir_ / "Mail").c_str(), output.c_str(), (char*)nullptr);
        std::_Exit(127);
    }
    for (int i = 0; i < 4000 && !fsys::exists(output); ++i) ::usleep(2000);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::ifstream in(log);
    const std::string err((std::istreambuf_iterator<char>(in)), {});
    if (err.find("Confirm Stop") == std::string::npos) GTEST_SKIP() << "the run ended before the interrupt arrived";
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 1);  // the files after the Stop were not converted
    ASSERT_TRUE(fsys::is_regular_file(output));
    EXPECT_EQ(RunFerrowick("check " + Q(output)).status, 0);
}

}  // namespace
}  // namespace ferrowick::cli
