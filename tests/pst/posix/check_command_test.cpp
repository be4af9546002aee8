// `ferrowick check`: exit 0 for a sound file, 1 with the findings listed for a damaged one,
// 2 for usage errors and files it cannot check.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>
#include <string>

#include "ndb_test_support.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

struct Outcome {
    int exit_code = -1;
    std::string output;
};

Outcome RunCheck(const std::string& args) {
    Outcome outcome;
    FILE* pipe = ::popen((std::string(FERROWICK_BINARY) + " check " + args + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) outcome.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(CheckCommand, ExitCodesTellSoundDamagedAndUnusable) {
    testing::ScratchDir dir("check-cli");
    const auto path = dir / "a.pst";
    {
        auto db = NodeDatabase::Create(path);
        db.Commit();
    }
    EXPECT_EQ(RunCheck(path.string()).exit_code, 0);

    {
        RandomAccessFile f(path, RandomAccessFile::Access::ReadWrite);
        std::uint8_t byte = 0x33;
        f.WriteAt(0x4400 + 100, std::span(&byte, 1));  // inside the first AMap page
    }
    const Outcome damaged = RunCheck(path.string());
    EXPECT_EQ(damaged.exit_code, 1);
    EXPECT_NE(damaged.output.find("page-crc"), std::string::npos) << damaged.output;

    EXPECT_EQ(RunCheck("").exit_code, 2);
    EXPECT_EQ(RunCheck((dir / "missing.pst").string()).exit_code, 2);
}

}  // namespace
}  // namespace ferrowick::pst
