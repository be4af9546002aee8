// A writer has the file to itself, and the file ends where its header says with a free
// total that matches the AMaps, also after a crash or a failed write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ndb_test_support.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

using testing::Noise;
using testing::ScratchDir;

NodeId Msg(std::uint32_t i) { return NodeId::Make(NidType::NormalMessage, 0x10000 + i); }

// A committed store of twenty 3,000-byte nodes: the state a failed write must leave.
void CreateWithTwentyNodes(const std::filesystem::path& path) {
    auto db = NodeDatabase::Create(path);
    for (std::uint32_t i = 0; i < 20; ++i) db.PutNode(Msg(i), NodeId(), Noise(1, 3000, i));
    db.Commit();
}

Header HeaderOnDisk(const std::filesystem::path& path) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    return Header::Read(bytes);
}

std::vector<char> Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Corruption, a size other than ibFileEof and free totals other than the maps'.
std::string Faults(const std::filesystem::path& path) {
    std::string text;
    for (const Finding& f : CheckPstFile(path, CheckOptions{false}))
        if (f.severity == Severity::Corruption || f.kind == "file-eof" || f.kind == "amap-free-total")
            text += f.kind + ": " + f.where + ": " + f.what + "\n";
    return text;
}

// Creating never empties a file that is there: in use, closed, or not a .pst at all.
TEST(NdbWriterSafety, CreatingOverAnExistingFileIsRefusedAndEmptiesNothing) {
    ScratchDir dir("exists");
    const auto path = dir / "a.pst";
    {
        auto writer = NodeDatabase::Create(path);
        writer.PutNode(Msg(1), NodeId(), Noise(1, 100, 1));
        writer.Commit();
        const auto before = Bytes(path);
        EXPECT_THROW(NodeDatabase::Create(path), FileExists);
        EXPECT_THROW(NodeDatabase::Create(path, CreateOptions{.fill_empty_file = true}), FileInUse);
        EXPECT_EQ(Bytes(path), before);
    }
    const auto before = Bytes(path);
    EXPECT_THROW(NodeDatabase::Create(path), FileExists);
    EXPECT_THROW(NodeDatabase::Create(path, CreateOptions{.fill_empty_file = true}), FileExists);
    EXPECT_THROW(RandomAccessFile(path, RandomAccessFile::Access::CreateNew), FileExists);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_TRUE(NodeDatabase::Open(path).Contains(Msg(1)));

    const auto text = dir / "notes.txt";
    std::ofstream(text) << "not a store";
    EXPECT_THROW(NodeDatabase::Create(text), FileExists);
    const auto kept = Bytes(text);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "not a store");
}

// The one file a store may be built into without being made here: an empty one.
TEST(NdbWriterSafety, AnEmptyFileIsFilledWithACommittedStore) {
    ScratchDir dir("empty");
    const auto path = dir / "a.pst";
    std::ofstream(path).close();
    {
        auto db = NodeDatabase::Create(path, CreateOptions{.fill_empty_file = true});
        db.PutNode(Msg(1), NodeId(), Noise(1, 100, 1));
        db.Commit();
    }
    EXPECT_EQ(Faults(path), "");
    EXPECT_TRUE(NodeDatabase::Open(path).Contains(Msg(1)));
    EXPECT_THROW(NodeDatabase::Create(dir / "missing.pst", CreateOptions{.fill_empty_file = true}), PstError);
}

TEST(NdbWriterSafety, BytesPastTheEndAreCutByTheNextWriterOnly) {
    ScratchDir dir("tail");
    const auto path = dir / "a.pst";
    {
        auto db = NodeDatabase::Create(path);
        db.PutNode(Msg(1), NodeId(), Noise(3, 4000, 1));
        db.Commit();
    }
    const std::uint64_t eof = HeaderOnDisk(path).root.ibFileEof;
    {
        std::ofstream tail(path, std::ios::binary | std::ios::app);  // what a crash used to leave
        tail << std::string(1 << 20, 'x');
    }
    const auto before = Bytes(path);
    EXPECT_NE(Faults(path), "");  // the checker reports the stray bytes
    {
        auto db = NodeDatabase::Open(path, OpenMode::ReadWrite);
        EXPECT_EQ(Bytes(path), before);  // opening writes nothing
        db.PutNode(Msg(2), NodeId(), Noise(1, 10, 2));
        db.Commit();
    }
    EXPECT_EQ(std::filesystem::file_size(path), HeaderOnDisk(path).root.ibFileEof);
    EXPECT_GE(HeaderOnDisk(path).root.ibFileEof, eof);
    EXPECT_EQ(Faults(path), "");
}

// A full disk, imitated by a file size limit: the failed commit leaves the previous state
// and no bytes past its end.
TEST(NdbWriterSafety, AFailedCommitLeavesThePreviousStateAndNothingPastIt) {
    ScratchDir dir("full");
    const auto path = dir / "a.pst";
    CreateWithTwentyNodes(path);
    const std::uint64_t size = std::filesystem::file_size(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{size + (3 << 20), size + (3 << 20)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool failed = false;
        try {
            auto db = NodeDatabase::Open(path, OpenMode::ReadWrite);
            for (std::uint32_t i = 100; i < 1100; ++i) db.PutNode(Msg(i), NodeId(), Noise(1, 8000, i));
            db.Commit();
        } catch (const PstError&) {
            failed = true;
        }
        ::_exit(failed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not fail";
    EXPECT_EQ(std::filesystem::file_size(path), HeaderOnDisk(path).root.ibFileEof);
    EXPECT_EQ(Faults(path), "");
    auto db = NodeDatabase::Open(path, OpenMode::ReadOnly);
    EXPECT_EQ(db.Nodes().size(), 20u);
}

// A write that failed may have lost blocks the state in memory refers to: once one has
// failed, nothing more is written, even when the disk has room again, and the file keeps
// its last commit.
TEST(NdbWriterSafety, AfterAFailedWriteNothingMoreIsWritten) {
    ScratchDir dir("retry");
    const auto path = dir / "a.pst";
    CreateWithTwentyNodes(path);
    const std::uint64_t size = std::filesystem::file_size(path);
    for (const std::uint64_t room : {std::uint64_t{64} << 10, std::uint64_t{256} << 10, std::uint64_t{1} << 20}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{size + room, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            int failures = 0;
            auto db = NodeDatabase::Open(path, OpenMode::ReadWrite);
            for (std::uint32_t i = 100; i < 400; ++i) {
                try {
                    db.PutNode(Msg(i), NodeId(), Noise(1 + i % 3, 2000, i));
                    if (i % 50 == 0) db.Commit();
                } catch (const PstError&) {
                    ++failures;
                    limit.rlim_cur = RLIM_INFINITY;  // room again
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                }
            }
            try {
                db.Commit();
            } catch (const PstError&) {
                ++failures;
            }
            ::_exit(failures == 0 ? 2 : failures == 1 ? 1 : 0);  // the first failure and every attempt after it
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << room;
        ASSERT_NE(WEXITSTATUS(status), 2) << room << ": no write failed";
        ASSERT_EQ(WEXITSTATUS(status), 0) << room << ": writes went on after a failure";
        EXPECT_EQ(Faults(path), "") << room;
        EXPECT_EQ(std::filesystem::file_size(path), HeaderOnDisk(path).root.ibFileEof) << room;
        auto db = NodeDatabase::Open(path);
        for (const NodeEntry& e : db.Nodes()) EXPECT_NO_THROW(db.ReadNode(e.nid)) << room;
        EXPECT_GE(db.Nodes().size(), 20u);
    }
}

}  // namespace
}  // namespace ferrowick::pst
