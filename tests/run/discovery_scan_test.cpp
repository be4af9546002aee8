#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "run/scan_folder.hpp"
#include "seams/keyed_queue.hpp"
#include "support/recorders.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using testing::RecordingBoard;
using testing::RecordingYielder;
using testing::TempFolder;

// One scan with the run state that the driver keeps, and what it recorded.
struct Scan {
    std::u16string folder;
    std::int32_t nextMessageNumber = 1;
    std::int32_t nextFolderNumber = 0;
    KeyedQueue messageQueue, folderQueue;
    RecordingBoard board;
    RecordingYielder yielder;

    void Run(std::u16string start) {
        folder = std::move(start);
        messageQueue.Drop();
        folderQueue.Drop();
        nextMessageNumber = 1;
        ScanFolder(folder, u"*.*", nextMessageNumber, nextFolderNumber, messageQueue, folderQueue, board, yielder);
    }
};

// The queue as "key path" lines, with the temp folder's root written as "ROOT" and the
// separator as "\" so the tables read the same on every platform.
std::vector<std::string> Lines(const KeyedQueue& queue, const TempFolder& temp) {
    const std::string root = temp.Root().string();
    std::vector<std::string> lines;
    for (const QueueEntry& e : queue.Entries()) {
        std::string path = ToNative(e.path);
        if (path.rfind(root, 0) == 0) path = "ROOT" + path.substr(root.size());
        for (char& c : path)
            if (c == static_cast<char>(fs::kPathSeparator)) c = '\\';
        lines.push_back(ToNative(e.key) + " " + path);
    }
    return lines;
}

std::string Queued(int n) { return std::to_string(n) + " Messages Queued for Conversion."; }

class DiscoveryExample : public ::testing::Test {
protected:
    // Mail holds a.msg, b.txt, X (x.msg) and Y (only Z, which holds z.msg).
    void SetUp() override {
        temp_.File("Mail/a.msg");
        temp_.File("Mail/b.txt");
        temp_.File("Mail/X/x.msg");
        temp_.File("Mail/Y/Z/z.msg");
    }
    TempFolder temp_;
    Scan scan_;
};

TEST_F(DiscoveryExample, GivesTheTableOfKeysAndPaths) {
    scan_.Run(temp_.Text("Mail"));
    EXPECT_EQ(Lines(scan_.folderQueue, temp_),
              (std::vector<std::string>{"0Z ROOT\\Mail\\X", "1Z ROOT\\Mail\\Y", "2Z ROOT\\Mail\\Y\\Z"}));
    EXPECT_EQ(Lines(scan_.messageQueue, temp_),
              (std::vector<std::string>{"1K ROOT\\Mail\\a.msg", "2K ROOT\\Mail\\b.txt", "3K ROOT\\Mail\\X\\x.msg",
                                        "4K ROOT\\Mail\\Y\\Z\\z.msg"}));
    EXPECT_EQ(scan_.nextMessageNumber, 5);
    EXPECT_EQ(scan_.nextFolderNumber, 3);
    EXPECT_EQ(scan_.folder, temp_.Text("Mail") + fs::kPathSeparator) << "the separator is added in place";
}

TEST_F(DiscoveryExample, CountsUpOnTheLabelOncePerFile) {
    scan_.Run(temp_.Text("Mail"));
    EXPECT_EQ(scan_.board.log, (std::vector<std::string>{"lblCount1=" + Queued(1), "lblCount1=" + Queued(2),
                                                         "lblCount1=" + Queued(3), "lblCount1=" + Queued(4)}));
}

TEST_F(DiscoveryExample, YieldsAtEveryStep) {
    // Per folder with d sub-folders and f files: 1 on entry, 2 for the dots and 3 per
    // sub-folder and 2 per file in the sub-folder pass, 1 + 2 for the dots + 1 per
    // sub-folder + 2 per file in the file pass, and 1 + d before descending.
    // Mail (d=2, f=2): 25; X (f=1): 10; Y (d=1): 12; Z (f=1): 10.
    scan_.Run(temp_.Text("Mail"));
    EXPECT_EQ(scan_.yielder.count, 57);
}

TEST_F(DiscoveryExample, FolderNumbersContinueAcrossScansAndFileNumbersRestart) {
    scan_.Run(temp_.Text("Mail"));
    scan_.Run(temp_.Text("Mail") + fs::kPathSeparator);
    EXPECT_EQ(Lines(scan_.folderQueue, temp_),
              (std::vector<std::string>{"3Z ROOT\\Mail\\X", "4Z ROOT\\Mail\\Y", "5Z ROOT\\Mail\\Y\\Z"}));
    EXPECT_EQ(scan_.messageQueue.Entries().front().key, u"1K");
    EXPECT_EQ(scan_.folder, temp_.Text("Mail") + fs::kPathSeparator) << "no second separator";
    EXPECT_EQ(scan_.board.Writes("lblCount1").at(4), Queued(1));
}

TEST(Discovery, YieldsInOrderAroundEachQueuedItem) {
    // Root holds the file a and the folder S, which holds b. At every yield, note how many
    // files and folders were queued so far.
    TempFolder temp;
    temp.File("a");
    temp.File("S/b");
    Scan scan;
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    scan.yielder.onYield = [&](long) { seen.emplace_back(scan.messageQueue.Count(), scan.folderQueue.Count()); };
    scan.Run(temp.Text());
    std::vector<std::pair<std::size_t, std::size_t>> expected;
    expected.insert(expected.end(), 8, {0, 0});   // entry; ".", "..", a (2), S (3)
    expected.insert(expected.end(), 5, {0, 1});   // file pass start; ".", "..", a (2)
    expected.insert(expected.end(), 13, {1, 1});  // S; before descending, S; S's scan (10)
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(scan.messageQueue.Count(), 2u);
}

}  // namespace
}  // namespace ferrowick
