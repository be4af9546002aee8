#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fs/text.hpp"
#include "support/run_command.hpp"
#include "support/run_program.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using testing::TempFolder;

#ifdef _WIN32
constexpr const char* kSep = "\\";
#else
constexpr const char* kSep = "/";
#endif

testing::ProgramRun RunScan(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{"scan"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return testing::RunFerrowick(args);
}

TEST(ScanCommand, PrintsBothQueuesAndTheCount) {
    TempFolder temp;
    temp.File("Mail/a.msg");
    temp.File("Mail/b.txt");
    temp.File("Mail/X/x.msg");
    temp.File("Mail/Y/Z/z.msg");
    const std::string mail = ToUtf8(temp.Text("Mail"));
    const std::string s = kSep;
    const testing::ProgramRun out = RunScan({mail});
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.out,
              "FolderQueue\n"
              "0Z\t" +
                  mail + s +
                  "X\n"
                  "1Z\t" +
                  mail + s +
                  "Y\n"
                  "2Z\t" +
                  mail + s + "Y" + s +
                  "Z\n"
                  "MessageQueue\n"
                  "1K\t" +
                  mail + s +
                  "a.msg\n"
                  "2K\t" +
                  mail + s +
                  "b.txt\n"
                  "3K\t" +
                  mail + s + "X" + s +
                  "x.msg\n"
                  "4K\t" +
                  mail + s + "Y" + s + "Z" + s +
                  "z.msg\n"
                  "MessageCount 4\n");
}

// A folder that is not there is a missing input, not an empty tree.
TEST(ScanCommand, MissingFolderAndUsageErrorsExitWithTwo) {
    TempFolder temp;
    const testing::ProgramRun missing = RunScan({ToUtf8(temp.Text("missing"))});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(RunScan({}).status, 2);
    EXPECT_EQ(RunScan({"a", "b"}).status, 2);
    EXPECT_EQ(RunScan({""}).status, 2);
}

}  // namespace
}  // namespace ferrowick
