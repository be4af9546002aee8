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
#include "pst/messaging/pst_store.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick::cli {
namespace {

namespace fsys = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
};

// Standard output only, or with `errorsToo` the error output joined to it.
Result RunFerrowick(const std::string& args, bool errorsToo = false) {
    Result r;
    const std::string command = std::string(FERROWICK_BINARY) + " " + args + (errorsToo ? " 2>&1" : " 2>/dev/null");
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
    EXPECT_NE(r.out.find("1 file"), std::string::npos) << r.out;
    EXPECT_TRUE(fsys::is_regular_file(dir_ / "out/Mail.pst"));
}

TEST_F(ConvertCliTest, FoldersDeeperThanAStoreOpensAreRefusedWhenMadeAndTheStoreOpensAgain) {
    // Mail/d/d/... : the n-th "d" lies n + 1 levels below the store's root folder.
    fsys::path folder = dir_ / "Mail";
    for (std::size_t n = 1; n <= pst::kMaxFolderDepth; ++n) {
        folder /= "d";
        if (n == pst::kMaxFolderDepth - 1 || n == pst::kMaxFolderDepth) {
            fsys::create_directories(folder);
            testing::WriteMsgFile(folder, "m" + std::to_string(n) + ".msg", testing::PlainMessage(u"Deep"));
        }
    }
    const Result convert = RunFerrowick("convert " + Q(dir_ / "Mail") + " " + Q(dir_ / "out/deep.pst"), true);
    EXPECT_EQ(convert.status, 1);
    EXPECT_NE(convert.out.find("m" + std::to_string(pst::kMaxFolderDepth) + ".msg: "), std::string::npos) << convert.out;
    EXPECT_NE(convert.out.find("deeper than " + std::to_string(pst::kMaxFolderDepth)), std::string::npos);
    EXPECT_EQ(convert.out.find("m" + std::to_string(pst::kMaxFolderDepth - 1) + ".msg: "), std::string::npos);

    const Result inspect = RunFerrowick("inspect " + Q(dir_ / "out/deep.pst"));
    EXPECT_EQ(inspect.status, 0) << inspect.out;
    EXPECT_NE(inspect.out.find("1 message"), std::string::npos) << inspect.out;
    EXPECT_EQ(RunFerrowick("check " + Q(dir_ / "out/deep.pst")).status, 0);
}

TEST_F(ConvertCliTest, FolderNamesReachAnotherReaderAsValidTextOneFolderPerSourceFolder) {
    if (testing::RunPython("import pypff").exitCode != 0) GTEST_SKIP() << "python3-pypff not installed";
    // A Latin-1 name (not UTF-8), the same name in UTF-8 capitals, and a name with a backslash.
    for (const char* folder : {"Mail/caf\xE9", "Mail/CAF\xC3\x89", "Mail/x\\y"}) {
        fsys::create_directories(dir_ / folder);
        testing::WriteMsgFile(dir_ / folder, "a.msg", testing::PlainMessage(u"Named"));
    }
    const Result convert = RunFerrowick("convert " + Q(dir_ / "Mail") + " " + Q(dir_ / "out/names.pst"));
    EXPECT_EQ(convert.status, 0) << convert.out;

    // Each folder's name as UTF-8 in hex (unpaired surrogates would show as such) and its
    // message count, as python3-pypff reads them.
    const auto read = testing::RunPython(R"(
import sys, pypff
f = pypff.file()
f.open(sys.argv[1])
def walk(folder):
    for i in range(folder.number_of_sub_folders):
        sub = folder.get_sub_folder(i)
        print(sub.name.encode('utf-8', 'surrogatepass').hex(), sub.number_of_sub_messages)
        walk(sub)
walk(f.get_root_folder())
)",
                                         {(dir_ / "out/names.pst").string()});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    const auto hex = [](const std::string& utf8) {
        std::string out;
        char byte[3];
        for (unsigned char c : utf8) {
            std::snprintf(byte, sizeof byte, "%02x", c);
            out += byte;
        }
        return out;
    };
    EXPECT_NE(read.output.find(hex("caf\xC3\xA9 (2)") + " 1\n"), std::string::npos) << read.output;
    EXPECT_NE(read.output.find(hex("CAF\xC3\x89") + " 1\n"), std::string::npos) << read.output;
    EXPECT_NE(read.output.find(hex("x\xEF\xBC\xBCy") + " 1\n"), std::string::npos) << read.output;
    EXPECT_EQ(read.output.find("\n" + hex("x") + " "), std::string::npos) << read.output;
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
