// Round trips through the node database writer and reader: data trees of every shape,
// sub-node trees, B-trees over many pages, replacement and removal, both encodings.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "ndb_test_support.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

using testing::Noise;
using testing::SameData;
using testing::ScratchDir;

NodeId Msg(std::uint32_t i) { return NodeId::Make(NidType::NormalMessage, 0x10000 + i); }

TEST(NdbNodeDatabase, NewFileIsEmptyAndReopens) {
    ScratchDir dir("empty");
    { NodeDatabase::Create(dir / "a.pst"); }
    auto db = NodeDatabase::Open(dir / "a.pst");
    EXPECT_TRUE(db.Nodes().empty());
    EXPECT_EQ(std::filesystem::file_size(dir / "a.pst"), 0x4400u + 253952u);
}

TEST(NdbNodeDatabase, DataOfEveryShapeReadsBackAsGiven) {
    ScratchDir dir("shapes");
    std::map<NodeId, NodeData> written;
    written[Msg(1)] = {};                    // no data block at all
    written[Msg(2)] = Noise(1, 10, 2);       // one small block
    written[Msg(3)] = Noise(1, 8176, 3);     // one full block
    written[Msg(4)] = Noise(7, 3000, 4);     // XBLOCK over short pieces, kept as given
    written[Msg(5)] = Noise(1100, 8176, 5);  // XXBLOCK
    NodeData nested = Noise(2, 100, 6);
    nested.subnodes[NodeId(0x1F)] = Noise(3, 500, 7);
    nested.subnodes[NodeId(0x1F)].subnodes[NodeId(0x3F)] = Noise(1, 9, 8);  // a sub-node's own sub-node
    for (std::uint32_t i = 0; i < 700; ++i)  // enough for an SIBLOCK over several SLBLOCKs
        nested.subnodes[NodeId::Make(NidType::Attachment, 0x100 + i)] = Noise(1, 20 + i % 50, 100 + i);
    written[Msg(6)] = nested;
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        for (const auto& [nid, data] : written) db.PutNode(nid, NodeId(0x8022), data);
        EXPECT_TRUE(SameData(db.ReadNode(Msg(6)), nested));  // readable before the commit too
        db.Commit();
    }
    auto db = NodeDatabase::Open(dir / "a.pst");
    ASSERT_EQ(db.Nodes().size(), written.size());
    for (const auto& [nid, data] : written) {
        SCOPED_TRACE(nid.Value());
        EXPECT_TRUE(SameData(db.ReadNode(nid), data));
        EXPECT_EQ(db.FindNode(nid)->parent, NodeId(0x8022));
    }
    EXPECT_TRUE(db.FindNode(Msg(1))->data.IsNull());
    EXPECT_TRUE(db.FindNode(Msg(5))->data.IsInternal());
}

TEST(NdbNodeDatabase, FiftyMebibytesInOneNodeGoThroughAnXXBlock) {
    ScratchDir dir("big");
    const std::size_t pieces = (50u << 20) / kMaxDataBlockPayload + 1;
    const NodeData big = Noise(pieces, kMaxDataBlockPayload, 50);
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        db.PutNode(Msg(1), NodeId(), big);
        db.Commit();
    }
    auto db = NodeDatabase::Open(dir / "a.pst");
    EXPECT_TRUE(db.FindNode(Msg(1))->data.IsInternal());
    EXPECT_TRUE(SameData(db.ReadNode(Msg(1)), big));
}

TEST(NdbNodeDatabase, ManyNodesSplitPagesAndSurviveRemoval) {
    ScratchDir dir("many");
    const std::uint32_t count = 6000;  // node B-tree of three levels
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        // Out of order on purpose: keys must still end up sorted.
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t i = (k * 7919) % count;
            db.PutNode(Msg(i), NodeId(i), Noise(1, 16, i));
        }
        db.Commit();
    }
    {
        auto db = NodeDatabase::Open(dir / "a.pst", OpenMode::ReadWrite);
        const auto nodes = db.Nodes();
        ASSERT_EQ(nodes.size(), count);
        for (std::size_t i = 1; i < nodes.size(); ++i) ASSERT_LT(nodes[i - 1].nid, nodes[i].nid);
        for (std::uint32_t i = 0; i < count; i += 2) db.RemoveNode(Msg(i));
        db.Commit();
    }
    auto db = NodeDatabase::Open(dir / "a.pst");
    EXPECT_EQ(db.Nodes().size(), count / 2);
    EXPECT_FALSE(db.Contains(Msg(10)));
    EXPECT_TRUE(SameData(db.ReadNode(Msg(11)), Noise(1, 16, 11)));
}

TEST(NdbNodeDatabase, ReplacedContentFreesItsSpaceForLaterCommits) {
    ScratchDir dir("replace");
    auto db = NodeDatabase::Create(dir / "a.pst");
    for (int round = 0; round < 30; ++round) {
        db.PutNode(Msg(1), NodeId(), Noise(20, 8000, round));
        db.Commit();
    }
    // Thirty rounds of 160 KB fit in a few regions only when freed space is reused.
    EXPECT_LE(db.FileSize(), 0x4400u + 3 * 253952u);
    auto again = NodeDatabase::Open(dir / "a.pst");
    EXPECT_TRUE(SameData(again.ReadNode(Msg(1)), Noise(20, 8000, 29)));
}

TEST(NdbNodeDatabase, NodeIdsComeFromTheHeaderCounters) {
    ScratchDir dir("nids");
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalFolder), NodeId(0x8022));  // as in Outlook's stores
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalFolder), NodeId::Make(NidType::NormalFolder, 0x402));
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalMessage), NodeId(0x200024));
        db.PutNode(NodeId::Make(NidType::NormalMessage, 0x10002), NodeId(), {});  // taken by hand
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalMessage), NodeId::Make(NidType::NormalMessage, 0x10003));
        db.Commit();
    }
    auto db = NodeDatabase::Open(dir / "a.pst", OpenMode::ReadWrite);
    EXPECT_EQ(db.AllocateNodeId(NidType::NormalFolder), NodeId::Make(NidType::NormalFolder, 0x403));
}

// The counters cover every NID in the file, sub-nodes included, so that a NID handed out
// later (by us or by Outlook) is unique in the whole file; a file whose counters lag behind
// its sub-nodes is caught up before the first NID is handed out.
TEST(NdbNodeDatabase, CountersCoverSubnodeIdsAndCatchUpOnFilesWhereTheyLag) {
    ScratchDir dir("nid-cover");
    const NodeId deepAttachment = NodeId::Make(NidType::Attachment, 0x450);
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        NodeData message = Noise(1, 100, 1);
        NodeData attachment = Noise(1, 50, 2);
        attachment.subnodes[NodeId::Make(NidType::NormalMessage, 0x10020)] = Noise(1, 40, 3);
        message.subnodes[deepAttachment] = attachment;
        db.PutNode(Msg(1), NodeId(0x122), message);
        EXPECT_EQ(db.AllocateNodeId(NidType::Attachment), NodeId::Make(NidType::Attachment, 0x451));
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalMessage), NodeId::Make(NidType::NormalMessage, 0x10021));
        // A folder index is taken from the counters of its three tables too.
        db.PutNode(NodeId::Make(NidType::ContentsTable, 0x405), NodeId(), {});
        EXPECT_EQ(db.AllocateNodeId(NidType::NormalFolder, {NidType::HierarchyTable, NidType::ContentsTable}),
                  NodeId::Make(NidType::NormalFolder, 0x406));
        EXPECT_EQ(db.AllocateNodeId(NidType::HierarchyTable), NodeId::Make(NidType::HierarchyTable, 0x407));
        db.Commit();
    }
    {  // as another program might leave it: counters back at their start values
        RandomAccessFile file(dir / "a.pst", RandomAccessFile::Access::ReadWrite);
        std::array<std::uint8_t, kHeaderSize> bytes{};
        file.ReadAt(0, bytes);
        Header header = Header::Read(bytes);
        header.rgnid[static_cast<int>(NidType::Attachment)] = 0x400;
        header.Write(bytes);
        file.WriteAt(0, bytes);
    }
    auto db = NodeDatabase::Open(dir / "a.pst", OpenMode::ReadWrite);
    EXPECT_EQ(db.AllocateNodeId(NidType::Attachment), NodeId::Make(NidType::Attachment, 0x451));
}

TEST(NdbNodeDatabase, WithoutEncodingTheBytesLieOnDiskAsGiven) {
    ScratchDir dir("plain");
    const std::string marker = "plain-bytes-marker-0123456789";
    NodeData data;
    data.pieces.push_back({marker.begin(), marker.end()});
    for (CryptMethod crypt : {CryptMethod::None, CryptMethod::Permute}) {
        const auto path = dir / (crypt == CryptMethod::None ? "none.pst" : "permute.pst");
        {
            auto db = NodeDatabase::Create(path, CreateOptions{crypt});
            db.PutNode(Msg(1), NodeId(), data);
            db.Commit();
        }
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(bytes.find(marker) != std::string::npos, crypt == CryptMethod::None);
        auto db = NodeDatabase::Open(path);
        EXPECT_EQ(db.Crypt(), crypt);
        EXPECT_TRUE(SameData(db.ReadNode(Msg(1)), data));
    }
}

TEST(NdbNodeDatabase, ReadOnlyDatabasesRefuseChanges) {
    ScratchDir dir("ro");
    { NodeDatabase::Create(dir / "a.pst"); }
    auto db = NodeDatabase::Open(dir / "a.pst");
    EXPECT_THROW(db.PutNode(Msg(1), NodeId(), Noise(1, 4, 1)), PstError);
    EXPECT_THROW(db.Commit(), PstError);
}

}  // namespace
}  // namespace ferrowick::pst
