#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using testing::TempFolder;

struct Output {
    std::string text;
    int status = -1;
};

Output RunScan(const std::string& arguments) {
    Output out;
    FILE* pipe = popen((std::string(FERROWICK_BINARY) + " scan " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.text.append(buffer, n);
    const int status = pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

TEST(ScanCommand, PrintsBothQueuesAndTheCount) {
    TempFolder temp;
    temp.File("Mail/a.msg");
    temp.File("Mail/b.txt");
    temp.File("Mail/X/x.msg");
    temp.File("Mail/Y/Z/z.msg");
    const std::string mail = temp.Native("Mail").string();
    const Output out = RunScan("'" + mail + "'");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.text, "FolderQueue\n"
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
    const Output missing = RunScan("'" + temp.Native("missing").string() + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.text, "");
    EXPECT_EQ(RunScan("").status, 2);
    EXPECT_EQ(RunScan("a b").status, 2);
    EXPECT_EQ(RunScan("''").status, 2);
}

}  // namespace
}  // namespace ferrowick
