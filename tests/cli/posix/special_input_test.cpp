// `ferrowick convert` over trees that hold more than folders and message files: named
// pipes, devices, links, folders that cannot be listed, paths beyond the kernel's limit.
// Each run is a real child process, killed if it outlives a generous bound, so a run that
// hangs fails the test instead of stopping the suite.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"

namespace ferrowick::cli {
namespace {

namespace fsys = std::filesystem;

constexpr unsigned kRunBoundSeconds = 120;
constexpr uid_t kNobody = 65534;

struct ChildRun {
    int status = -1;  // the exit status; -1 when the run was killed (it hung) or never ran
    std::string output;
};

class SpecialInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fsys::temp_directory_path() / ("ferrowick-special-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        testing::RunCommand("rm -rf '" + dir_.string() + "'");
        fsys::create_directories(dir_ / "out");
        fsys::permissions(dir_, fsys::perms::owner_all | fsys::perms::group_exec | fsys::perms::others_exec |
                                    fsys::perms::group_read | fsys::perms::others_read);
    }
    // rm copes with trees deeper than any whole path reaches, and with locked folders.
    void TearDown() override {
        testing::RunCommand("chmod -R u+rwx '" + dir_.string() + "' 2>/dev/null; rm -rf '" + dir_.string() + "'");
    }

    void Message(const std::string& relative, const std::u16string& subject) {
        const fsys::path path = dir_ / relative;
        fsys::create_directories(path.parent_path());
        testing::WriteMsgFile(path.parent_path(), path.filename().string(), testing::PlainMessage(subject));
    }

    // Runs `ferrowick args...`, as the unprivileged user `nobody` when `unprivileged` and
    // this process may switch (as root, where folder permissions would not apply).
    ChildRun Ferrowick(const std::vector<std::string>& args, bool unprivileged = false) {
        const fsys::path outputFile = dir_ / "run-output.txt";
        fsys::path binary = FERROWICK_BINARY;
        if (unprivileged && ::geteuid() == 0) {
            // The build folder may not be open to nobody; a copy beside the tree is.
            fsys::copy_file(binary, dir_ / "ferrowick", fsys::copy_options::overwrite_existing);
            binary = dir_ / "ferrowick";
            testing::RunCommand("chown -R " + std::to_string(kNobody) + ":" + std::to_string(kNobody) + " '" +
                                (dir_ / "out").string() + "'");
        }
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0) ::_exit(126);
            if (unprivileged && ::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(126);
            std::vector<char*> argv{const_cast<char*>(binary.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::alarm(kRunBoundSeconds);  // kept across exec: a hung run is killed
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        ChildRun run;
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return run;
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        std::ifstream in(outputFile);
        std::stringstream text;
        text << in.rdbuf();
        run.output = text.str();
        return run;
    }

    // The "N messages" line of `ferrowick inspect`.
    std::string MessageCountOf(const fsys::path& store) {
        const ChildRun run = Ferrowick({"inspect", store.string()});
        const std::size_t end = run.output.rfind(" messages");
        if (run.status != 0 || end == std::string::npos) return "inspect failed: " + run.output;
        const std::size_t start = run.output.rfind('\n', end);
        return run.output.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1) + 9);
    }

    std::string Path(const std::string& relative) const { return (dir_ / relative).string(); }

    fsys::path dir_;
};

TEST_F(SpecialInputTest, PipesAndDevicesAreNamedAndEveryMessageIsKept) {
    for (int i = 1; i <= 5; ++i)
        Message("Mail/m" + std::to_string(i) + ".msg", u"Message " + std::u16string(1, char16_t(u'0' + i)));
    Message("Mail/Sub/later.msg", u"Later");
    // The pipe comes after messages that are already in the store when it is reached.
    ASSERT_EQ(::mkfifo(Path("Mail/Sub/pipe.msg").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", Path("Mail/Sub/zero.msg").c_str()), 0);
    ASSERT_EQ(::symlink("../m1.msg", Path("Mail/Sub/alias.msg").c_str()), 0);  // a link to a message is one

    const ChildRun run = Ferrowick({"convert", Path("Mail"), Path("out/Mail.pst")});
    ASSERT_EQ(run.status, 1) << "killed or wrong status; output:\n" << run.output;
    EXPECT_NE(run.output.find(Path("Mail/Sub/pipe.msg") + " is not a regular file: named pipe"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(Path("Mail/Sub/zero.msg") + " is not a regular file: character device"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("7 files converted, 2 files not converted."), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("alias.msg:"), std::string::npos) << run.output;
    EXPECT_EQ(MessageCountOf(dir_ / "out/Mail.pst"), "7 messages");
}

TEST_F(SpecialInputTest, MessagesBeyondTheKernelPathLimitAreConverted) {
    Message("Deep/top.msg", u"Top");
    // 22 levels of 200-byte names: over 4,400 bytes, made through descriptors.
    const std::string level = std::string(200, 'd');
    int folder = ::open(Path("Deep").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 22; ++i) {
        ASSERT_EQ(::mkdirat(folder, level.c_str(), 0755), 0);
        const int next = ::openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = next;
    }
    const std::vector<std::uint8_t> bytes = testing::ReadBytes(dir_ / "Deep/top.msg");
    const int file = ::openat(folder, "bottom.msg", O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(::write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(file);
    ::close(folder);

    const ChildRun run = Ferrowick({"convert", Path("Deep"), Path("out/Deep.pst")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(MessageCountOf(dir_ / "out/Deep.pst"), "2 messages");
}

TEST_F(SpecialInputTest, FoldersThatAreNotListedAreNamedAndTheRunFails) {
    Message("Mail/a.msg", u"A");
    Message("Mail/Locked/secret.msg", u"Secret");
    Message("Elsewhere/b.msg", u"B");
    ASSERT_EQ(::symlink(Path("Elsewhere").c_str(), Path("Mail/Link").c_str()), 0);
    ASSERT_EQ(::chmod(Path("Mail/Locked").c_str(), 0), 0);

    const ChildRun run = Ferrowick({"convert", Path("Mail"), Path("out/Mail.pst")}, true);
    ASSERT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(Path("Mail/Locked") + ": could not be listed: Permission denied"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(Path("Mail/Link") + ": symbolic link to a folder, not followed"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("1 file converted, 2 folders not converted."), std::string::npos) << run.output;
    EXPECT_EQ(MessageCountOf(dir_ / "out/Mail.pst"), "1 messages");
}

TEST_F(SpecialInputTest, MultipleFolderRunsNameThemTooEvenWithNothingElseToConvert) {
    Message("Root/One/a.msg", u"A");
    Message("Elsewhere/b.msg", u"B");
    ASSERT_EQ(::symlink(Path("Elsewhere").c_str(), Path("Root/One/Link").c_str()), 0);
    Message("Root/Two/Locked/secret.msg", u"Secret");  // Two holds nothing that can be listed
    ASSERT_EQ(::chmod(Path("Root/Two/Locked").c_str(), 0), 0);

    const ChildRun run = Ferrowick({"convert", "--multiple", Path("Root"), Path("out")}, true);
    ASSERT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(Path("Root/One/Link") + ": symbolic link to a folder, not followed"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(Path("Root/Two/Locked") + ": could not be listed: Permission denied"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("1 file converted, 2 folders not converted."), std::string::npos) << run.output;
    EXPECT_EQ(MessageCountOf(dir_ / "out/One.pst"), "1 messages");
}

}  // namespace
}  // namespace ferrowick::cli
