// `ferrowick check`: exit 0 for a sound file, 1 with the findings listed for a damaged one,
// 2 for usage errors and files it cannot check.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <string>

#include "ndb_test_support.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/run_command.hpp"

namespace ferrowick::pst {
namespace {

ferrowick::testing::CommandRun RunCheck(const std::string& args) {
    return ferrowick::testing::RunCommand(std::string(FERROWICK_BINARY) + " check " + args + " 2>&1");
}

TEST(CheckCommand, ExitCodesTellSoundDamagedAndUnusable) {
    testing::ScratchDir dir("check-cli");
    const auto path = dir / "a.pst";
    {
        auto db = NodeDatabase::Create(path);
        db.Commit();
    }
    EXPECT_EQ(RunCheck(path.string()).exitCode, 0);

    {
        RandomAccessFile f(path, RandomAccessFile::Access::ReadWrite);
        std::uint8_t byte = 0x33;
        f.WriteAt(0x4400 + 100, std::span(&byte, 1));  // inside the first AMap page
    }
    const auto damaged = RunCheck(path.string());
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.output.find("page-crc"), std::string::npos) << damaged.output;

    EXPECT_EQ(RunCheck("").exitCode, 2);
    EXPECT_EQ(RunCheck((dir / "missing.pst").string()).exitCode, 2);
}

}  // namespace
}  // namespace ferrowick::pst
