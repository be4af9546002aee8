// The header is the commit point: a commit cut short leaves the previous state, which the
// checker accepts; files grow past 4 GiB with 64-bit offsets throughout.
#include <gtest/gtest.h>

#include "ndb_test_support.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

using testing::Noise;
using testing::SameData;
using testing::ScratchDir;

NodeId Msg(std::uint32_t i) { return NodeId::Make(NidType::NormalMessage, 0x10000 + i); }

std::string Corruption(const Findings& findings) {
    std::string text;
    for (const auto& f : findings)
        if (f.severity == Severity::Corruption) text += f.kind + ": " + f.where + ": " + f.what + "\n";
    return text;
}

TEST(NdbDurability, ACommitCutShortBeforeTheHeaderLeavesThePreviousState) {
    ScratchDir dir("crash");
    const auto path = dir / "a.pst";
    {
        auto db = NodeDatabase::Create(path);
        for (std::uint32_t i = 0; i < 40; ++i) db.PutNode(Msg(i), NodeId(), Noise(2, 3000, i));
        db.Commit();
        // The next state replaces, removes and adds nodes, enough to split B-tree pages
        // and to grow the file by several AMap regions...
        for (std::uint32_t i = 0; i < 40; i += 2) db.PutNode(Msg(i), NodeId(), Noise(1, 10, 1000 + i));
        for (std::uint32_t i = 1; i < 40; i += 4) db.RemoveNode(Msg(i));
        for (std::uint32_t i = 100; i < 400; ++i) db.PutNode(Msg(i), NodeId(), Noise(3, 8000, i));
        // ...and is written out in full but for the header, as when the power fails there.
        db.StopCommitBeforeHeaderForTesting(true);
        EXPECT_THROW(db.Commit(), PstError);
    }
    const Findings findings = CheckPstFile(path, CheckOptions{false});
    EXPECT_TRUE(IsSound(findings)) << Corruption(findings);
    auto db = NodeDatabase::Open(path, OpenMode::ReadWrite);
    ASSERT_EQ(db.Nodes().size(), 40u);
    for (std::uint32_t i = 0; i < 40; ++i) EXPECT_TRUE(SameData(db.ReadNode(Msg(i)), Noise(2, 3000, i))) << i;
    // The file stays usable: the next commit proceeds from the previous state.
    db.PutNode(Msg(500), NodeId(), Noise(1, 99, 500));
    db.Commit();
    const Findings after = CheckPstFile(path, CheckOptions{false});
    EXPECT_TRUE(IsSound(after)) << Corruption(after);
}

TEST(NdbDurability, EveryCommitLeavesASoundFileWithoutLeaks) {
    ScratchDir dir("commits");
    const auto path = dir / "a.pst";
    auto db = NodeDatabase::Create(path);
    for (int round = 0; round < 5; ++round) {
        for (std::uint32_t i = 0; i < 30; ++i)
            db.PutNode(Msg(i * 5 + round), NodeId(), Noise(1 + i % 3, 700, round * 100 + i));
        for (std::uint32_t i = 0; i < 30; i += 3) db.RemoveNode(Msg(i * 5 + (round + 4) % 5));
        db.Commit();
        const Findings findings = CheckPstFile(path, CheckOptions{false});
        EXPECT_TRUE(findings.empty()) << round << "\n" << Corruption(findings) << findings.size();
    }
}

TEST(NdbDurability, FilesReachPastFourGibibytes) {
    ScratchDir dir("large", true);
    const auto path = dir / "a.pst";
    const std::uint64_t far = 4'600'000'000ull;
    const NodeData data = Noise(5, 8176, 4);
    {
        auto db = NodeDatabase::Create(path);
        db.SetAllocationFloorForTesting(FileOffset(far));  // the regions below stay free
        db.PutNode(Msg(1), NodeId(), data);
        db.Commit();
        EXPECT_GT(db.FileSize(), far);
    }
    EXPECT_GT(std::filesystem::file_size(path), far);
    auto db = NodeDatabase::Open(path, OpenMode::ReadWrite);
    EXPECT_TRUE(SameData(db.ReadNode(Msg(1)), data));
    const Findings findings = CheckPstFile(path, CheckOptions{false});
    EXPECT_TRUE(findings.empty()) << Corruption(findings);
    // Later allocations take the first free space again, near the start.
    db.PutNode(Msg(2), NodeId(), Noise(1, 100, 5));
    db.Commit();
    EXPECT_TRUE(SameData(NodeDatabase::Open(path).ReadNode(Msg(2)), Noise(1, 100, 5)));
}

}  // namespace
}  // namespace ferrowick::pst
