// The strict checker: silent on what the writer makes, and one deliberately damaged file
// per kind of finding.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "bytes/little_endian.hpp"
#include "ndb_test_support.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/ndb/block.hpp"
#include "pst/ndb/btree_page.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "pst/ndb/map_layout.hpp"
#include "pst/ndb/node_database.hpp"
#include "pst/ndb/xblock.hpp"

namespace ferrowick::pst {
namespace {

using testing::Noise;
using testing::ScratchDir;

NodeId Msg(std::uint32_t i) { return NodeId::Make(NidType::NormalMessage, 0x10000 + i); }
const NodeId kXNode = Msg(1000);
const NodeId kSubNode = Msg(1001);

// Direct access to a file's structures, to damage them precisely.
class Surgeon {
public:
    explicit Surgeon(const std::filesystem::path& path) : file_(path, RandomAccessFile::Access::ReadWrite) {}

    Header ReadHeader() {
        std::array<std::uint8_t, kHeaderSize> b{};
        file_.ReadAt(0, b);
        return Header::Read(b);
    }
    void WriteHeader(const Header& h) {  // with correct CRCs
        std::array<std::uint8_t, kHeaderSize> b{};
        file_.ReadAt(0, b);
        h.Write(b);
        file_.WriteAt(0, b);
    }
    std::array<std::uint8_t, kPageSize> Page(FileOffset ib) {
        std::array<std::uint8_t, kPageSize> p{};
        file_.ReadAt(ib.Value(), p);
        return p;
    }
    void PutPage(FileOffset ib, std::array<std::uint8_t, kPageSize> p, bool reseal, PageType type, BlockId bid) {
        if (reseal) SealPage(p, type, bid, ib);
        file_.WriteAt(ib.Value(), p);
    }
    // Changes a B-tree page's entry area and seals it again.
    void EditBTreePage(BlockRef ref, PageType type, const std::function<void(std::span<std::uint8_t>)>& edit) {
        auto p = Page(ref.ib);
        edit(p);
        PutPage(ref.ib, p, true, type, ref.bid);
    }
    template <class Leaf>
    std::vector<std::pair<BlockRef, BTreePage<Leaf>>> Pages(BlockRef root) {
        std::vector<std::pair<BlockRef, BTreePage<Leaf>>> all;
        std::function<void(BlockRef)> walk = [&](BlockRef r) {
            auto page = BTreePage<Leaf>::Read(Page(r.ib), nullptr);
            all.push_back({r, *page});
            for (const auto& e : page->index) walk(e.child);
        };
        walk(root);
        return all;
    }
    std::vector<BlockEntry> Blocks() {
        std::vector<BlockEntry> all;
        for (auto& [ref, page] : Pages<BlockEntry>(ReadHeader().root.bbt))
            all.insert(all.end(), page.leaves.begin(), page.leaves.end());
        return all;
    }
    BlockEntry Block(BlockId bid) {
        for (const auto& b : Blocks())
            if (b.ref.bid == bid) return b;
        ADD_FAILURE() << "no block " << bid.Value();
        return {};
    }
    NodeEntry Node(NodeId nid) {
        for (auto& [ref, page] : Pages<NodeEntry>(ReadHeader().root.nbt))
            for (const auto& e : page.leaves)
                if (e.nid == nid) return e;
        ADD_FAILURE() << "no node " << nid.Value();
        return {};
    }
    // The leaf page of the block B-tree holding `bid`, and the entry's index in it.
    std::pair<BlockRef, std::size_t> BlockLeaf(BlockId bid) {
        for (auto& [ref, page] : Pages<BlockEntry>(ReadHeader().root.bbt))
            for (std::size_t i = 0; i < page.leaves.size(); ++i)
                if (page.cLevel == 0 && page.leaves[i].ref.bid == bid) return {ref, i};
        return {};
    }
    std::vector<std::uint8_t> BlockBytes(const BlockEntry& b) {
        std::vector<std::uint8_t> bytes(BlockDiskSize(b.cb));
        file_.ReadAt(b.ref.ib.Value(), bytes);
        return bytes;
    }
    void PutBlock(const BlockEntry& b, std::vector<std::uint8_t> bytes, bool reseal) {
        if (reseal) SealBlock(bytes, b.cb, b.ref.bid, b.ref.ib);
        file_.WriteAt(b.ref.ib.Value(), bytes);
    }
    RandomAccessFile& File() { return file_; }

private:
    RandomAccessFile file_;
};

class CheckerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDir("check");
        auto db = NodeDatabase::Create(*dir_ / "base.pst");
        for (std::uint32_t i = 0; i < 60; ++i) db.PutNode(Msg(i), NodeId(0x122), Noise(1, 100 + i, i));
        db.PutNode(kXNode, NodeId(0x122), Noise(3, 5000, 77));
        NodeData withSubnodes = Noise(1, 300, 78);
        withSubnodes.subnodes[NodeId(0x1F)] = Noise(1, 50, 79);
        db.PutNode(kSubNode, NodeId(0x122), withSubnodes);
        db.Commit();
    }
    static void TearDownTestSuite() { delete dir_; }

    // A fresh copy of the sound file, damaged by `damage`, then checked.
    Findings Damaged(const std::function<void(Surgeon&)>& damage) {
        const auto path = *dir_ / "damaged.pst";
        testing::CopyOver(*dir_ / "base.pst", path);
        {
            Surgeon s(path);
            damage(s);
        }
        return CheckPstFile(path, CheckOptions{false});
    }
    static bool Has(const Findings& findings, const std::string& kind, Severity severity = Severity::Corruption) {
        for (const auto& f : findings)
            if (f.kind == kind && f.severity == severity) return true;
        return false;
    }
    static std::string Dump(const Findings& findings) {
        std::string text;
        for (const auto& f : findings) text += f.kind + ": " + f.where + ": " + f.what + "\n";
        return text;
    }

    static ScratchDir* dir_;
};
ScratchDir* CheckerTest::dir_ = nullptr;

#define EXPECT_FINDING(findings, kind) EXPECT_TRUE(Has(findings, kind)) << Dump(findings)
#define EXPECT_LEAK(findings, kind)                                         \
    do {                                                                    \
        EXPECT_TRUE(Has(findings, kind, Severity::Leak)) << Dump(findings); \
        EXPECT_TRUE(IsSound(findings)) << Dump(findings);                   \
    } while (0)

TEST_F(CheckerTest, WhatTheWriterMakesHasNoFindingsAtAll) {
    const Findings findings = CheckPstFile(*dir_ / "base.pst", CheckOptions{false});  // raw bytes, no heaps
    EXPECT_TRUE(findings.empty()) << Dump(findings);
}

TEST_F(CheckerTest, HeaderDamage) {
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       std::uint8_t b = 0x5A;
                       s.File().WriteAt(100, std::span(&b, 1));
                   }),
                   "header-crc");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       Header h = s.ReadHeader();
                       h.bSentinel = 0;
                       s.WriteHeader(h);
                   }),
                   "header-field");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       Header h = s.ReadHeader();
                       h.root.fAMapValid = 0;
                       s.WriteHeader(h);
                   }),
                   "amap-invalid");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       Header h = s.ReadHeader();
                       h.bidNextB = BlockId(8);
                       s.WriteHeader(h);
                   }),
                   "bid-counter");
    EXPECT_FINDING(Damaged([](Surgeon& s) { s.File().Resize(s.File().Size() - 4096); }), "file-eof");
    EXPECT_LEAK(Damaged([](Surgeon& s) {
                    Header h = s.ReadHeader();
                    h.root.cbAMapFree += 64;
                    s.WriteHeader(h);
                }),
                "amap-free-total");
    EXPECT_LEAK(Damaged([](Surgeon& s) { s.File().Resize(s.File().Size() + 4096); }), "file-eof");
}

TEST_F(CheckerTest, PageTrailerDamage) {
    auto nbt = [](Surgeon& s) { return s.ReadHeader().root.nbt; };
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto p = s.Page(nbt(s).ib);
                       p[0] ^= 1;
                       s.PutPage(nbt(s).ib, p, false, PageType::NodeBTree, nbt(s).bid);
                   }),
                   "page-crc");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto p = s.Page(nbt(s).ib);
                       p[kPageDataSize] = 0x80;
                       s.PutPage(nbt(s).ib, p, false, PageType::NodeBTree, nbt(s).bid);
                   }),
                   "page-type");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto p = s.Page(nbt(s).ib);
                       p[kPageDataSize + 8] ^= 4;
                       s.PutPage(nbt(s).ib, p, false, PageType::NodeBTree, nbt(s).bid);
                   }),
                   "page-bid");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto p = s.Page(nbt(s).ib);
                       p[kPageDataSize + 2] ^= 1;
                       s.PutPage(nbt(s).ib, p, false, PageType::NodeBTree, nbt(s).bid);
                   }),
                   "page-signature");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {  // an AMap page with a wrong CRC
                       auto p = s.Page(FileOffset(kFirstAMapOffset));
                       p[400] ^= 0x10;
                       s.PutPage(FileOffset(kFirstAMapOffset), p, false, PageType::AllocationMap, BlockId());
                   }),
                   "page-crc");
}

TEST_F(CheckerTest, BTreeDamage) {
    // The node B-tree has two levels here: a root over leaf pages.
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       auto leaves = s.Pages<NodeEntry>(s.ReadHeader().root.nbt);
                       s.EditBTreePage(leaves[1].first, PageType::NodeBTree, [](std::span<std::uint8_t> b) {
                           std::swap_ranges(b.begin(), b.begin() + 32, b.begin() + 32);  // first two entries swapped
                       });
                   }),
                   "btree-order");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       s.EditBTreePage(s.ReadHeader().root.nbt, PageType::NodeBTree,
                                       [](std::span<std::uint8_t> b) { b[491] = 2; });
                   }),
                   "btree-level");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       s.EditBTreePage(s.ReadHeader().root.nbt, PageType::NodeBTree, [](std::span<std::uint8_t> b) {
                           std::copy_n(b.begin() + 8, 16, b.begin() + 24 + 8);  // second child = first child
                       });
                   }),
                   "btree-cycle");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       s.EditBTreePage(s.ReadHeader().root.bbt, PageType::BlockBTree,
                                       [](std::span<std::uint8_t> b) { b[488] = 30; });
                   }),
                   "btree-count");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       s.EditBTreePage(s.ReadHeader().root.bbt, PageType::BlockBTree,
                                       [](std::span<std::uint8_t> b) { b[490] = 16; });
                   }),
                   "btree-entry-size");
}

TEST_F(CheckerTest, BlockDamage) {
    auto dataBlock = [](Surgeon& s) { return s.Block(s.Node(Msg(5)).data); };
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto b = dataBlock(s);
                       auto bytes = s.BlockBytes(b);
                       bytes[3] ^= 1;
                       s.PutBlock(b, bytes, false);
                   }),
                   "block-crc");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto b = dataBlock(s);
                       auto bytes = s.BlockBytes(b);
                       bytes[bytes.size() - 14] ^= 1;  // wSig
                       s.PutBlock(b, bytes, false);
                   }),
                   "block-signature");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto b = dataBlock(s);
                       auto bytes = s.BlockBytes(b);
                       bytes[bytes.size() - 8] ^= 4;  // bid
                       s.PutBlock(b, bytes, false);
                   }),
                   "block-bid");
    EXPECT_FINDING(Damaged([&](Surgeon& s) {
                       auto b = dataBlock(s);
                       auto bytes = s.BlockBytes(b);
                       bytes[bytes.size() - 16] ^= 1;  // cb
                       s.PutBlock(b, bytes, false);
                   }),
                   "block-size");
}

// Rewrites the block B-tree entry of `bid` through `edit`.
void EditBlockEntry(Surgeon& s, BlockId bid, const std::function<void(BlockEntry&)>& edit) {
    const auto [leaf, at] = s.BlockLeaf(bid);
    const std::size_t index = at;  // a lambda may not capture a structured binding in every compiler
    s.EditBTreePage(leaf, PageType::BlockBTree, [&](std::span<std::uint8_t> b) {
        BlockEntry e = BlockEntry::Read(b.subspan(index * 24, 24));
        edit(e);
        e.Write(b.subspan(index * 24, 24));
    });
}

TEST_F(CheckerTest, ReferenceAndSpaceDamage) {
    EXPECT_FINDING(Damaged(
                       [](Surgeon& s) { EditBlockEntry(s, s.Node(Msg(5)).data, [](BlockEntry& e) { e.cRef = 1; }); }),
                   "block-refcount");
    EXPECT_LEAK(Damaged([](Surgeon& s) { EditBlockEntry(s, s.Node(Msg(5)).data, [](BlockEntry& e) { e.cRef = 7; }); }),
                "block-refcount");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       EditBlockEntry(s, s.Node(Msg(5)).data,
                                      [](BlockEntry& e) { e.ref.bid = BlockId(e.ref.bid.Value() + 0x100000); });
                   }),
                   "block-missing");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       const auto other = s.Block(s.Node(Msg(6)).data).ref.ib;
                       EditBlockEntry(s, s.Node(Msg(5)).data, [&](BlockEntry& e) { e.ref.ib = other; });
                   }),
                   "space-overlap");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       EditBlockEntry(s, s.Node(Msg(5)).data, [](BlockEntry& e) { e.ref.ib = FileOffset(1ull << 40); });
                   }),
                   "outside-file");
    EXPECT_FINDING(Damaged([](Surgeon& s) {  // the AMap stops marking a block in use
                       const auto b = s.Block(s.Node(Msg(5)).data);
                       auto p = s.Page(FileOffset(kFirstAMapOffset));
                       const auto slot = (b.ref.ib.Value() - kFirstAMapOffset) / 64;
                       p[slot / 8] &= static_cast<std::uint8_t>(~(0x80 >> (slot % 8)));
                       s.PutPage(FileOffset(kFirstAMapOffset), p, true, PageType::AllocationMap,
                                 BlockId(kFirstAMapOffset));
                   }),
                   "amap-unmarked");
    EXPECT_LEAK(Damaged([](Surgeon& s) {  // the AMap marks free space in use
                    auto p = s.Page(FileOffset(kFirstAMapOffset));
                    p[kPageDataSize - 1] |= 1;
                    s.PutPage(FileOffset(kFirstAMapOffset), p, true, PageType::AllocationMap,
                              BlockId(kFirstAMapOffset));
                }),
                "amap-leak");
    EXPECT_LEAK(Damaged([](Surgeon& s) {  // a node entry dropped: its block is used by nothing
                    auto leaves = s.Pages<NodeEntry>(s.ReadHeader().root.nbt);
                    s.EditBTreePage(leaves[1].first, PageType::NodeBTree, [](std::span<std::uint8_t> b) {
                        std::fill_n(b.begin() + 8, 8, 0);  // first entry loses its data block
                    });
                }),
                "block-unreferenced");
}

TEST_F(CheckerTest, TreeDamage) {
    auto xblock = [](Surgeon& s) { return s.Block(s.Node(kXNode).data); };
    auto editX = [&](Surgeon& s, const std::function<void(std::vector<std::uint8_t>&)>& edit) {
        auto b = xblock(s);
        auto bytes = s.BlockBytes(b);
        edit(bytes);
        s.PutBlock(b, bytes, true);
    };
    EXPECT_FINDING(Damaged([&](Surgeon& s) { editX(s, [](auto& b) { b[0] = 7; }); }), "xblock");
    EXPECT_FINDING(Damaged([&](Surgeon& s) { editX(s, [](auto& b) { le::StoreU32(b.data() + 4, 12345); }); }),
                   "data-tree-size");
    EXPECT_FINDING(Damaged(
                       [&](Surgeon& s) { editX(s, [](auto& b) { std::copy_n(b.begin() + 8, 8, b.begin() + 16); }); }),
                   "block-cycle");
    EXPECT_FINDING(Damaged([](Surgeon& s) {
                       auto b = s.Block(s.Node(kSubNode).subnodes);
                       auto bytes = s.BlockBytes(b);
                       bytes[1] = 5;  // cLevel
                       s.PutBlock(b, bytes, true);
                   }),
                   "subnode-block");
}

TEST_F(CheckerTest, PropertyContextsOfTheWriterPassTheListsAndTablesChecksToo) {
    ScratchDir dir("check-ltp");
    {
        auto db = NodeDatabase::Create(dir / "a.pst");
        for (std::uint32_t i = 0; i < 20; ++i) {
            PropertyBag bag;
            bag.Set(0x0037, PropertyValue::String(u"subject " + std::u16string(i + 1, u'x')));
            bag.Set(0x0E07, PropertyValue::Integer32(17));
            bag.Set(0x1000,
                    PropertyValue::Binary(std::vector<std::uint8_t>(i * 2000, 0x41)));  // up to 38 KB: a sub-node
            db.PutNode(db.AllocateNodeId(NidType::NormalMessage), NodeId(0x8022), WritePropertyContext(bag));
        }
        db.Commit();
    }
    const Findings findings = CheckPstFile(dir / "a.pst");
    EXPECT_TRUE(findings.empty()) << Dump(findings);
}

// A counter below a NID in use, whether the NID is a top-level node or sits in a sub-node
// tree, is a fault: a writer that trusts the counter would hand that NID out again.
TEST_F(CheckerTest, EveryNidCounterBelowANidInUseIsReported) {
    const auto path = *dir_ / "store.pst";
    {
        PstStore store = PstStore::Create(path, u"S");
        const NodeId folder = store.AddFolder(store.IpmSubtree(), u"F", u"IPF.Note");
        MessageContent message;
        AttachmentContent attachment;
        attachment.properties.Set(0x3701, PropertyValue::Binary({1, 2, 3}));
        message.attachments = {attachment, attachment};
        store.AddMessage(folder, message);
        store.Commit();
    }
    const Findings sound = CheckPstFile(path, CheckOptions{false});
    EXPECT_FALSE(Has(sound, "nid-counter")) << Dump(sound);
    for (NidType type : {NidType::NormalFolder, NidType::NormalMessage, NidType::Attachment, NidType::HierarchyTable,
                         NidType::ContentsTable, NidType::AssocContentsTable}) {
        const auto damaged = *dir_ / "nid-damaged.pst";
        testing::CopyOver(path, damaged);
        {
            Surgeon s(damaged);
            Header h = s.ReadHeader();
            h.rgnid[static_cast<int>(type)] = type == NidType::NormalMessage ? 0x10000 : 0x400;
            s.WriteHeader(h);
        }
        const Findings findings = CheckPstFile(damaged, CheckOptions{false});
        const std::string counter = "rgnid[0x" + std::string(1, "0123456789ABCDEF"[static_cast<int>(type) & 0xF]) + "]";
        bool named = false;
        for (const Finding& f : findings)
            named |= f.kind == "nid-counter" && f.severity == Severity::Corruption &&
                     f.what.find(counter) != std::string::npos;
        EXPECT_TRUE(named) << counter << "\n" << Dump(findings);
        EXPECT_FALSE(IsSound(findings));
    }
}

TEST_F(CheckerTest, UnreadableFilesAreErrorsNotFindings) {
    ScratchDir dir("unreadable");
    EXPECT_THROW(CheckPstFile(dir / "missing.pst"), PstError);
    {
        RandomAccessFile f(dir / "short.pst", RandomAccessFile::Access::CreateNew);
        f.Resize(100);
    }
    EXPECT_THROW(CheckPstFile(dir / "short.pst"), PstError);
}

}  // namespace
}  // namespace ferrowick::pst
