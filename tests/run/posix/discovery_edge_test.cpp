#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "run/scan_folder.hpp"
#include "seams/conversion_report.hpp"
#include "seams/keyed_queue.hpp"
#include "support/recorders.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using testing::RecordingBoard;
using testing::RecordingYielder;
using testing::TempFolder;

struct Scan {
    std::u16string folder;
    std::int32_t nextMessageNumber = 1;
    std::int32_t nextFolderNumber = 0;
    KeyedQueue messageQueue, folderQueue;
    RecordingBoard board;
    RecordingYielder yielder;
    std::vector<NotConvertedFile> passedOver;

    void Run(std::u16string start) {
        folder = std::move(start);
        ScanFolder(folder, u"*.*", nextMessageNumber, nextFolderNumber, messageQueue, folderQueue, board, yielder,
                   passedOver);
    }
};

// Names below the root, in queue order.
std::vector<std::string> Relative(const KeyedQueue& queue, const TempFolder& temp) {
    const std::string root = temp.Root().string() + static_cast<char>(fs::kPathSeparator);
    std::vector<std::string> out;
    for (const QueueEntry& e : queue.Entries()) {
        const std::string path = ToNative(e.path);
        out.push_back(path.rfind(root, 0) == 0 ? path.substr(root.size()) : path);
    }
    return out;
}

// The folders passed over, as "name below the root: reason".
std::vector<std::string> PassedOver(const std::vector<NotConvertedFile>& items, const TempFolder& temp) {
    const std::string root = temp.Root().string() + static_cast<char>(fs::kPathSeparator);
    std::vector<std::string> out;
    for (const NotConvertedFile& item : items) {
        const std::string path = ToNative(item.path);
        out.push_back((path.rfind(root, 0) == 0 ? path.substr(root.size()) : path) + ": " + ToUtf8(item.reason) +
                      (item.kind == NotConvertedKind::Folder ? "" : " (not as a folder)"));
    }
    return out;
}

TEST(DiscoveryEdges, EmptyFolderQueuesAndShowsNothing) {
    TempFolder temp;
    Scan scan;
    scan.Run(temp.Text());
    EXPECT_FALSE(scan.messageQueue.Present());
    EXPECT_FALSE(scan.folderQueue.Present());
    EXPECT_TRUE(scan.board.log.empty());
    EXPECT_EQ(scan.nextMessageNumber, 1);
}

TEST(DiscoveryEdges, MissingStartFolderLeavesEverythingAsItWas) {
    TempFolder temp;
    Scan scan;
    scan.board.count1 = u"earlier";
    scan.Run(temp.Text("missing"));
    EXPECT_EQ(scan.messageQueue.Count(), 0u);
    EXPECT_EQ(scan.folderQueue.Count(), 0u);
    EXPECT_EQ(scan.board.count1, u"earlier");
    EXPECT_EQ(scan.nextMessageNumber, 1);
    EXPECT_EQ(scan.yielder.count, 1);
    EXPECT_EQ(scan.folder, temp.Text("missing") + fs::kPathSeparator);
    EXPECT_EQ(PassedOver(scan.passedOver, temp),
              (std::vector<std::string>{"missing: could not be listed: No such file or directory"}));
}

TEST(DiscoveryEdges, EveryNameButDotAndDotDotIsQueued) {
    TempFolder temp;
    for (const char* name : {"...", ".hidden", "no-extension", "notes.txt", "a.MSG", "..x"}) temp.File(name);
    Scan scan;
    scan.Run(temp.Text());
    EXPECT_EQ(Relative(scan.messageQueue, temp),
              (std::vector<std::string>{"...", "..x", ".hidden", "a.MSG", "no-extension", "notes.txt"}));
    EXPECT_EQ(scan.nextMessageNumber, 7);
}

TEST(DiscoveryEdges, FoldersOnlyAndEmptySubFolders) {
    TempFolder temp;
    temp.Folder("A/empty");
    temp.File("A/B/one.msg");
    temp.File("C/two.msg");
    Scan scan;
    scan.Run(temp.Text());
    EXPECT_EQ(Relative(scan.folderQueue, temp), (std::vector<std::string>{"A", "C", "A/B", "A/empty"}));
    EXPECT_EQ(Relative(scan.messageQueue, temp), (std::vector<std::string>{"A/B/one.msg", "C/two.msg"}));
}

TEST(DiscoveryEdges, NameThatIsNotUtf8IsQueuedAndOpens) {
    TempFolder temp;
    const std::string folderName = "Ordner \xE4";  // Latin-1, invalid as UTF-8
    const std::string fileName = "Gr\xFC\xDF.msg";
    temp.File(folderName + "/" + fileName, "content");
    Scan scan;
    scan.Run(temp.Text());
    ASSERT_EQ(scan.messageQueue.Count(), 1u);
    const std::string path = ToNative(scan.messageQueue.Entries()[0].path);
    EXPECT_EQ(path, (temp.Root() / folderName / fileName).string());
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "content");
    EXPECT_EQ(ToNative(scan.folderQueue.Entries()[0].path), (temp.Root() / folderName).string());
}

TEST(DiscoveryEdges, LinksToFoldersAreNeitherQueuedNorFollowed) {
    TempFolder temp;
    temp.File("Mail/a.msg");
    temp.File("Mail/Sub/b.msg");
    ASSERT_EQ(symlink("..", temp.Native("Mail/Sub/up").c_str()), 0);  // a loop back to Mail
    ASSERT_EQ(symlink(temp.Native("Mail").c_str(), temp.Native("Mail/self").c_str()), 0);
    ASSERT_EQ(symlink("a.msg", temp.Native("Mail/alias.msg").c_str()), 0);  // a link to a file is a file
    Scan scan;
    scan.Run(temp.Text("Mail"));
    EXPECT_EQ(Relative(scan.folderQueue, temp), (std::vector<std::string>{"Mail/Sub"}));
    EXPECT_EQ(Relative(scan.messageQueue, temp),
              (std::vector<std::string>{"Mail/a.msg", "Mail/alias.msg", "Mail/Sub/b.msg"}));
    // Named, so the run can say what it left out.
    EXPECT_EQ(PassedOver(scan.passedOver, temp),
              (std::vector<std::string>{"Mail/self: symbolic link to a folder, not followed",
                                        "Mail/Sub/up: symbolic link to a folder, not followed"}));
}

// Runs `body` in a child process as the unprivileged user nobody (when this process is
// root, as in CI; otherwise as itself), so that folder permissions apply. What the child
// writes to the descriptor it is given comes back as text; "child failed" when it did.
template <typename Body>
std::string AsUnprivilegedUser(Body body) {
    constexpr uid_t kNobody = 65534;
    int ends[2];
    if (pipe(ends) != 0) return "child failed";
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
        const std::string out = body();
        if (write(ends[1], out.data(), out.size()) != static_cast<ssize_t>(out.size())) _exit(3);
        _exit(0);
    }
    close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed";
    return text;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

TEST(DiscoveryEdges, UnlistableFolderIsQueuedAndNamedButContributesNothing) {
    TempFolder temp;
    temp.File("Locked/secret.msg");
    temp.File("Locked/Inner/deeper.msg");
    temp.File("open.msg");
    ASSERT_EQ(chmod(temp.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(temp.Native("Locked").c_str(), 0), 0);
    const std::string seen = AsUnprivilegedUser([&] {
        Scan scan;
        scan.Run(temp.Text());
        return Lines(Relative(scan.folderQueue, temp)) + "--\n" + Lines(Relative(scan.messageQueue, temp)) + "--\n" +
               Lines(PassedOver(scan.passedOver, temp));
    });
    EXPECT_EQ(seen, "Locked\n--\nopen.msg\n--\nLocked: could not be listed: Permission denied\n");
}

TEST(DiscoveryEdges, FolderRemovedDuringTheScanIsStillQueuedButFindsNothing) {
    TempFolder temp;
    temp.File("Gone/x.msg");
    temp.File("kept.msg");
    Scan scan;
    // The sub-folder pass has listed the root when the first entry's yield comes.
    scan.yielder.onYield = [&](long n) {
        if (n == 2) std::filesystem::remove_all(temp.Native("Gone"));
    };
    scan.Run(temp.Text());
    EXPECT_EQ(Relative(scan.folderQueue, temp), (std::vector<std::string>{"Gone"}));
    EXPECT_EQ(Relative(scan.messageQueue, temp), (std::vector<std::string>{"kept.msg"}));
}

// A chain of `depth` folders named "d" below the root, with one file at the bottom. Built
// and taken apart through descriptors: the whole path is longer than the kernel accepts.
void BuildChain(const TempFolder& temp, int depth) {
    int folder = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(mkdirat(folder, "d", 0755), 0);
        const int next = openat(folder, "d", O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
    }
    const int file = openat(folder, "bottom.msg", O_CREAT | O_WRONLY, 0644);
    close(file);
    close(folder);
}

void RemoveChain(const TempFolder& temp, int depth) {
    const int root = open(temp.Root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 1; i < depth; ++i) {  // lift d/d up one level, drop the emptied d
        renameat(root, "d/d", root, "up");
        unlinkat(root, "d", AT_REMOVEDIR);
        renameat(root, "up", root, "d");
    }
    close(root);
}

TEST(DiscoveryEdges, TreeFiveThousandFoldersDeep) {
    constexpr int kDepth = 5000;
    TempFolder temp(testing::FastTempBase());
    BuildChain(temp, kDepth);
    Scan scan;
    scan.Run(temp.Text());
    RemoveChain(temp, kDepth);

    ASSERT_EQ(scan.folderQueue.Count(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(scan.folderQueue.Entries().back().key, u"4999Z");
    ASSERT_EQ(scan.messageQueue.Count(), 1u);
    std::u16string expected = temp.Text();
    for (int i = 0; i < kDepth; ++i) expected += fs::kPathSeparatorText + u"d";
    EXPECT_EQ(scan.messageQueue.Entries()[0].path, expected + fs::kPathSeparatorText + u"bottom.msg");
}

}  // namespace
}  // namespace ferrowick
