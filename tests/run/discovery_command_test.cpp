#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_folder.hpp"
#include "support/run_command.hpp"

namespace ferrowick {
namespace {

using testing::TempFolder;

testing::CommandRun RunScan(const std::string& arguments) {
    return testing::RunCommand(std::string(FERROWICK_BINARY) + " scan " + arguments + " 2>/dev/null");
}

TEST(ScanCommand, PrintsBothQueuesAndTheCount) {
    TempFolder temp;
    temp.File("Mail/a.msg");
    temp.File("Mail/b.txt");
    temp.File("Mail/X/x.msg");
    temp.File("Mail/Y/Z/z.msg");
    const std::string mail = temp.Native("Mail").string();
    const auto out = RunScan("'" + mail + "'");
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.output, "FolderQueue\n"
                        "0Z\t" + mail + "/X\n"
                        "1Z\t" + mail + "/Y\n"
                        "2Z\t" + mail + "/Y/Z\n"
                        "MessageQueue\n"
                        "1K\t" + mail + "/a.msg\n"
                        "2K\t" + mail + "/b.txt\n"
                        "3K\t" + mail + "/X/x.msg\n"
                        "4K\t" + mail + "/Y/Z/z.msg\n"
                        "MessageCount 4\n");
}

// A folder that is not there is a missing input, not an empty tree.
TEST(ScanCommand, MissingFolderAndUsageErrorsExitWithTwo) {
    TempFolder temp;
    const auto missing = RunScan("'" + temp.Native("missing").string() + "'");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.output, "");
    EXPECT_EQ(RunScan("").exitCode, 2);
    EXPECT_EQ(RunScan("a b").exitCode, 2);
    EXPECT_EQ(RunScan("''").exitCode, 2);
}

}  // namespace
}  // namespace ferrowick
