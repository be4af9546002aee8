// [MS-PST 2.2.2 NDB layer] The node database: header, B-trees, allocation map and blocks
// tied together, with commits that survive a crash at any moment.
#include "pst/ndb/node_database.hpp"

#include <signal.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "pst/ndb/allocation_map.hpp"
#include "pst/ndb/block.hpp"
#include "pst/ndb/block_store.hpp"
#include "pst/ndb/btree.hpp"
#include "pst/ndb/data_tree.hpp"
#include "pst/ndb/density_list.hpp"
#include "pst/ndb/encoding.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "pst/ndb/hex_text.hpp"
#include "pst/ndb/subnode_block.hpp"
#include "pst/ndb/subnode_tree.hpp"
#include "pst/ndb/xblock.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::size_t kWriteBatch = 4 << 20;  // contiguous block writes are gathered up to this
constexpr std::uint64_t kGrowthLimit = 16 << 20;  // the most free space one growth adds

// A block or page to be freed once the header no longer points at anything using it.
struct Extent {
    FileOffset ib;
    std::uint64_t bytes;
};

}  // namespace

struct NodeDatabase::Impl final : BlockStore {
    std::filesystem::path path;
    RandomAccessFile file;
    OpenMode mode = OpenMode::ReadOnly;
    Header header;
    BTree<NodeEntry> nbt;
    BTree<BlockEntry> bbt;
    std::optional<AllocationMap> amap;  // read-write only
    std::vector<Extent> release_after_commit;
    std::uint64_t batch_start = 0;
    std::vector<std::uint8_t> batch;
    // A write failed: blocks the state in memory refers to may never have reached the file,
    // so nothing more is written and the file keeps its last commit.
    bool write_failed = false;
    bool stop_before_header = false;
    long kill_at_crash_point = -1;  // test hook
    // What the header on disk says: the B-tree roots of the last commit and the file's end.
    // Between commits the file's size, its AMaps and this header agree (see RecordSpace).
    BlockRef committed_nbt, committed_bbt;
    std::uint64_t disk_eof = 0;
    std::uint64_t disk_free = 0;  // the free total of the AMaps on disk
    // A density list written by another program describes its AMaps, not ours: the first
    // commit replaces it by an empty one, which every reader accepts.
    bool density_list_stale = false;
    // The counters of a file written elsewhere may lag behind the NIDs in its sub-node trees:
    // they are brought up to them once, before the first NID is handed out.
    bool counters_cover_subnodes = true;

    Impl(const std::filesystem::path& p, RandomAccessFile f) : path(p), file(std::move(f)) {}

    // --- NID counters ----------------------------------------------------------------

    std::uint32_t& Counter(NidType type) { return header.rgnid[static_cast<std::uint8_t>(type)]; }

    void Cover(NodeId nid) { Counter(nid.Type()) = std::max(Counter(nid.Type()), nid.Index()); }

    void Cover(const std::map<NodeId, NodeData>& subnodes) {
        for (const auto& [nid, data] : subnodes) {
            Cover(nid);
            Cover(data.subnodes);
        }
    }

    void CoverNodesInFile() {
        if (counters_cover_subnodes) return;
        nbt.ForEach([&](const NodeEntry& e) {
            Cover(e.nid);
            ForEachSubnodeId(*this, e.subnodes, [&](NodeId nid) { Cover(nid); });
        });
        counters_cover_subnodes = true;
    }

    // Every return from here finds the file whole: the moments a crash test tries.
    void CrashPoint() {
        if (kill_at_crash_point >= 0 && kill_at_crash_point-- == 0) ::raise(SIGKILL);
    }

    void RequireWritable() const {
        if (mode != OpenMode::ReadWrite) throw PstError(path.string() + " is open for reading only");
        if (write_failed)
            throw PstError("an earlier write to " + path.string() +
                           " failed: nothing more is written to it, it keeps its last commit");
    }

    // --- writing blocks ---------------------------------------------------------------

    void WriteGathered(std::uint64_t at, std::span<const std::uint8_t> bytes) {
        if (!batch.empty() && (at != batch_start + batch.size() || batch.size() + bytes.size() > kWriteBatch))
            FlushBatch();
        if (batch.empty()) batch_start = at;
        batch.insert(batch.end(), bytes.begin(), bytes.end());
    }

    void FlushBatch() {
        if (batch.empty()) return;
        // Nothing goes past the end the header records: a crash then leaves no stray bytes.
        if (batch_start + batch.size() > disk_eof) RecordGrowth();
        try {
            file.WriteAt(batch_start, batch);
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
        batch.clear();
        CrashPoint();
    }

    // Grows the file to the map in memory and records that in a header that still names the
    // last commit's B-trees: the new regions free, as the file's other regions are on disk.
    // The size, the maps and the header are written back to back, so that a crash finds them
    // agreeing, and the flush follows at once, so that only a power failure within it could
    // find the header on disk before the rest. Also cuts bytes a crash left past the end.
    void RecordGrowth() {
        std::uint64_t end = amap->FileEnd();
        if (disk_eof != 0 && end > disk_eof) {
            // Room for more than this write, so that growth and its records are rare (a new
            // file starts at its least).
            amap->GrowTo(end + std::clamp<std::uint64_t>(end / 4, kRegionSize, kGrowthLimit));
            end = amap->FileEnd();
        }
        const std::uint64_t disk_regions = disk_eof > kFirstAMapOffset ? (disk_eof - kFirstAMapOffset) / kRegionSize : 0;
        if (disk_regions == 0) return RecordSpace();  // a new file: nothing on disk to keep
        try {
            const bool grows = file.Size() < end;
            file.Resize(end);
            const std::uint64_t fresh_free = amap->WriteFreshPages(file, disk_regions);
            WriteHeader(committed_nbt, committed_bbt, disk_free + fresh_free);
            if (grows) file.Flush();
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
        CrashPoint();
    }

    // Brings the file's size and all its AMaps to the state in memory and records them in a
    // header that still names the last commit's B-trees: space taken since then shows as
    // leaked, never as free, and the free total matches the maps. Written back to back as in
    // RecordGrowth().
    void RecordSpace() {
        const std::uint64_t end = amap->FileEnd();
        try {
            const bool grows = file.Size() < end;
            if (file.Size() != end) file.Resize(end);
            amap->WriteChangedPages(file);
            if (density_list_stale) {
                file.WriteAt(kDensityListOffset, EmptyDensityListPage(header.bidNextP));
                density_list_stale = false;
            }
            WriteHeader(committed_nbt, committed_bbt, amap->FreeBytes());
            if (grows) file.Flush();
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
        CrashPoint();
    }

    void WriteFailed() noexcept {
        write_failed = true;
        batch.clear();
        CutToDiskEof();
    }

    // After a failed write: nothing past the end that the header on disk records.
    void CutToDiskEof() noexcept {
        try {
            if (disk_eof >= kFirstAMapOffset && file.Size() > disk_eof) file.Resize(disk_eof);
        } catch (const PstError&) {
            // the next writer cuts them
        }
    }

    BlockId NextBlockId(bool internal) {
        const BlockId bid(header.bidNextB.value | (internal ? 0x2 : 0x0));
        header.bidNextB = BlockId(header.bidNextB.value + 4);
        return bid;
    }

    BlockId WriteBlock(std::span<const std::uint8_t> payload, bool internal) override {
        RequireWritable();
        if (payload.size() > kMaxBlockPayload) throw PstError("a block payload is larger than 8,176 bytes");
        const BlockId bid = NextBlockId(internal);
        const std::size_t size = BlockDiskSize(payload.size());
        const FileOffset ib = amap->Allocate(size, false);
        std::array<std::uint8_t, kMaxBlockSize> buffer;
        std::span<std::uint8_t> block(buffer.data(), size);
        std::copy(payload.begin(), payload.end(), block.begin());
        if (!internal) EncodeBlockData(header.crypt, block.first(payload.size()));
        SealBlock(block, payload.size(), bid, ib);
        WriteGathered(ib.value, block);
        // Outlook counts one reference more than there are [pst-notes: cRef].
        bbt.Put(BlockEntry{{bid, ib}, static_cast<std::uint16_t>(payload.size()), 2});
        return bid;
    }

    std::vector<std::uint8_t> ReadBlock(BlockId reference) override {
        // The low bit of a BID is reserved: references may carry it set [MS-PST 2.2.2.2].
        const BlockId bid = reference.Lookup();
        const BlockEntry* entry = bbt.Find(bid.value);
        if (!entry) throw PstError("block " + Hex(bid.value) + " is not in the block B-tree");
        if (entry->cb > kMaxBlockPayload)
            throw PstError("block " + Hex(bid.value) + " claims " + std::to_string(entry->cb) + " bytes");
        const std::size_t size = BlockDiskSize(entry->cb);
        FlushBatch();
        std::vector<std::uint8_t> block(size);
        if (entry->ref.ib.value < kFirstAMapOffset || entry->ref.ib.value % 64 != 0 ||
            !file.ReadAt(entry->ref.ib.value, block))
            throw PstError("block " + Hex(bid.value) + " at " + Hex(entry->ref.ib.value) +
                           " lies outside the file's data area");
        if (auto problem = BlockProblem(block, entry->cb, bid, entry->ref.ib))
            throw PstError("block " + Hex(bid.value) + " at " + Hex(entry->ref.ib.value) + ": " + problem->what);
        block.resize(entry->cb);
        if (!bid.IsInternal()) DecodeBlockData(header.crypt, block);
        return block;
    }

    // Drops one reference from a block. A block nobody uses any more leaves the block B-tree
    // now, its space is freed after the next commit, and (when internal) its children each
    // lose the reference it held; a block still shared keeps its children untouched.
    void ReleaseBlock(BlockId reference, int depth = 0) {
        if (reference.IsNull()) return;
        if (depth > 64) throw PstError("blocks nest deeper than any real file's");
        const BlockEntry* found = bbt.Find(reference.Lookup().value);
        if (!found) return;
        BlockEntry e = *found;
        if (e.cRef > 2) {
            --e.cRef;
            bbt.Put(e);
            return;
        }
        std::vector<BlockId> children;
        if (e.ref.bid.IsInternal()) {
            const auto payload = ReadBlock(e.ref.bid);
            Problem problem;
            if (!payload.empty() && payload[0] == XBlock::kType) {
                if (auto x = XBlock::Read(payload, &problem)) children = x->children;
            } else if (auto sub = SubnodeBlock::Read(payload, &problem)) {
                for (const auto& l : sub->leaves) children.insert(children.end(), {l.data, l.subnodes});
                for (const auto& i : sub->index) children.push_back(i.block);
            }
        }
        release_after_commit.push_back({e.ref.ib, BlockDiskSize(e.cb)});
        bbt.Erase(e.ref.bid.value);
        for (BlockId child : children) ReleaseBlock(child, depth + 1);
    }

    void ReleaseBlocks(const NodeEntry& entry) {
        ReleaseBlock(entry.data);
        ReleaseBlock(entry.subnodes);
    }

    // --- committing -------------------------------------------------------------------

    BlockRef PlacePage(BlockRef old, const BTree<NodeEntry>::PageBuilder& build) {
        if (!old.bid.IsNull()) release_after_commit.push_back({old.ib, kPageSize});
        const FileOffset ib = amap->Allocate(kPageSize, true);
        const BlockId bid = header.bidNextP;
        header.bidNextP = BlockId(header.bidNextP.value + 1);
        const auto page = build(bid, ib);
        WriteGathered(ib.value, page);
        return {bid, ib};
    }

    void WriteHeader(BlockRef nbt_root, BlockRef bbt_root, std::uint64_t free_bytes) {
        Header out = header;
        out.root.nbt = nbt_root;
        out.root.bbt = bbt_root;
        out.root.ibFileEof = amap->FileEnd();
        out.root.ibAMapLast = amap->LastAMap();
        out.root.cbAMapFree = free_bytes;
        out.root.cbPMapFree = 0;  // PMaps show every page in use
        out.root.fAMapValid = kAMapValid;
        out.dwUnique = ++header.dwUnique;
        std::array<std::uint8_t, kHeaderSize> bytes{};
        out.Write(bytes);
        file.WriteAt(0, bytes);
        header.root = out.root;
        disk_eof = out.root.ibFileEof;
        disk_free = free_bytes;
    }

    void Commit() {
        RequireWritable();
        try {
            CommitSteps();
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
    }

    void CommitSteps() {
        // 1. The new state's pages go to space that is free in both the old and the new state
        //    (freed space is still marked in use), next to the blocks PutNode() already wrote.
        const auto place = [this](BlockRef old, const auto& build) { return PlacePage(old, build); };
        const BlockRef nbt_root = nbt.Flush(place);
        const BlockRef bbt_root = bbt.Flush(place);
        for (BlockRef r : nbt.TakeDroppedPages()) release_after_commit.push_back({r.ib, kPageSize});
        for (BlockRef r : bbt.TakeDroppedPages()) release_after_commit.push_back({r.ib, kPageSize});
        FlushBatch();
        // 2. The AMaps now mark the old and the new state in use; recorded with the old roots
        //    they only show some leaked space.
        RecordSpace();
        file.Flush();
        CrashPoint();
        if (stop_before_header) throw PstError("commit stopped before the header (test hook)");
        // 3. THE COMMIT POINT: the header is the only thing that says which B-tree roots are
        //    current. Everything it points at is on disk (flushed above), so a crash before
        //    this write leaves the previous state and a crash after it the new one.
        WriteHeader(nbt_root, bbt_root, amap->FreeBytes());
        committed_nbt = nbt_root;
        committed_bbt = bbt_root;
        CrashPoint();
        file.Flush();
        CrashPoint();
        // 4. Nothing committed refers to the released space any more: free it and record
        //    that, maps and header back to back. A crash in here leaves the committed state
        //    with some leaked space.
        if (!release_after_commit.empty()) {
            for (const Extent& e : release_after_commit) amap->Release(e.ib, e.bytes);
            release_after_commit.clear();
            amap->WriteChangedPages(file);
            WriteHeader(committed_nbt, committed_bbt, amap->FreeBytes());
            CrashPoint();
            file.Flush();
        }
    }
};

NodeDatabase::NodeDatabase(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
NodeDatabase::NodeDatabase(NodeDatabase&&) noexcept = default;
NodeDatabase& NodeDatabase::operator=(NodeDatabase&&) noexcept = default;
NodeDatabase::~NodeDatabase() = default;

NodeDatabase NodeDatabase::Create(const std::filesystem::path& path, CreateOptions options) {
    const auto access = options.fill_empty_file ? RandomAccessFile::Access::FillEmpty : RandomAccessFile::Access::CreateNew;
    auto impl = std::make_unique<Impl>(path, RandomAccessFile(path, access));
    impl->mode = OpenMode::ReadWrite;
    impl->header = Header::Fresh(options.crypt);
    impl->amap = AllocationMap::ForNewFile();
    impl->density_list_stale = true;
    impl->Commit();
    return NodeDatabase(std::move(impl));
}

NodeDatabase NodeDatabase::Open(const std::filesystem::path& path, OpenMode mode) {
    RandomAccessFile file(path, mode == OpenMode::ReadWrite ? RandomAccessFile::Access::ReadWrite
                                                            : RandomAccessFile::Access::Read);
    const std::uint64_t size = file.Size();
    std::array<std::uint8_t, kHeaderSize> bytes{};
    if (size < kHeaderSize || !file.ReadAt(0, bytes))
        throw PstError(path.string() + " is too short to be a .pst file");
    switch (ClassifyFile(bytes)) {
        case FileKind::NotPst: throw PstError(path.string() + " is not a .pst file");
        case FileKind::Ansi:
            throw PstError(path.string() +
                           " is an ANSI .pst file (Outlook 97-2002 format); only Unicode .pst files are supported");
        case FileKind::Unicode4k: throw PstError(path.string() + " uses 4K pages (an .ost-style file); not supported");
        case FileKind::Unicode: break;
    }
    Header header = Header::Read(bytes);
    if (header.dwCRCPartial != HeaderPartialCrc(bytes) || header.dwCRCFull != HeaderFullCrc(bytes))
        throw PstError(path.string() + " has a damaged header (CRC mismatch)");
    if (header.crypt != CryptMethod::None && header.crypt != CryptMethod::Permute)
        throw PstError(path.string() + " uses an encoding other than none or permutation; not supported");

    auto impl = std::make_unique<Impl>(path, std::move(file));
    impl->mode = mode;
    impl->counters_cover_subnodes = false;
    impl->header = header;
    const auto read = [&f = impl->file, size](FileOffset ib, std::span<std::uint8_t> out) {
        return ib.value >= kFirstAMapOffset && ib.value + out.size() <= size && f.ReadAt(ib.value, out);
    };
    try {
        impl->nbt = BTree<NodeEntry>::Load(read, header.root.nbt);
        impl->bbt = BTree<BlockEntry>::Load(read, header.root.bbt);
        if (mode == OpenMode::ReadWrite) {
            if (header.root.fAMapValid == 0)
                throw PstError("its allocation map is marked invalid (the file needs a repair by Outlook first)");
            impl->amap = AllocationMap::Load(impl->file, header.root.ibAMapLast);
            impl->density_list_stale = true;
            impl->committed_nbt = header.root.nbt;
            impl->committed_bbt = header.root.bbt;
            impl->disk_eof = header.root.ibFileEof;
            impl->disk_free = impl->amap->FreeBytes();
        }
    } catch (const PstError& e) {
        throw PstError(path.string() + " is damaged: " + e.what());
    }
    return NodeDatabase(std::move(impl));
}

NodeId NodeDatabase::AllocateNodeId(NidType type) { return AllocateNodeId(type, {}); }

NodeId NodeDatabase::AllocateNodeId(NidType type, std::initializer_list<NidType> sharing) {
    impl_->RequireWritable();
    impl_->CoverNodesInFile();
    // A counter holds the last index handed out: Outlook's stores hold a node with the
    // counter's own index, and its first folder is 0x8022 (index 0x401) after a start at 0x400.
    std::uint32_t last = impl_->Counter(type);
    for (NidType other : sharing) last = std::max(last, impl_->Counter(other));
    for (;;) {
        if (last + 1 >= (1u << 27)) throw PstError("no node IDs of this type are left");
        ++last;
        // Never hand out a NID in use, whatever the counters say.
        bool in_use = Contains(NodeId::Make(type, last));
        for (NidType other : sharing) in_use = in_use || Contains(NodeId::Make(other, last));
        if (!in_use) break;
    }
    impl_->Counter(type) = last;
    for (NidType other : sharing) impl_->Counter(other) = last;
    return NodeId::Make(type, last);
}

void NodeDatabase::PutNode(NodeId nid, NodeId parent, const NodeData& data) {
    impl_->RequireWritable();
    if (const NodeEntry* old = impl_->nbt.Find(nid.value)) impl_->ReleaseBlocks(*old);
    NodeEntry entry;
    entry.nid = nid;
    entry.parent = parent;
    entry.data = WriteDataTree(*impl_, data.pieces);
    entry.subnodes = WriteSubnodeTree(*impl_, data.subnodes);
    impl_->nbt.Put(entry);
    impl_->Cover(nid);
    impl_->Cover(data.subnodes);
}

void NodeDatabase::RemoveNode(NodeId nid) {
    impl_->RequireWritable();
    const NodeEntry* old = impl_->nbt.Find(nid.value);
    if (!old) return;
    impl_->ReleaseBlocks(*old);
    impl_->nbt.Erase(nid.value);
}

bool NodeDatabase::Contains(NodeId nid) const { return impl_->nbt.Find(nid.value) != nullptr; }

std::optional<NodeEntry> NodeDatabase::FindNode(NodeId nid) const {
    if (const NodeEntry* e = impl_->nbt.Find(nid.value)) return *e;
    return std::nullopt;
}

NodeData NodeDatabase::ReadNode(NodeId nid) const {
    const NodeEntry* e = impl_->nbt.Find(nid.value);
    if (!e) throw PstError("node " + Hex(nid.value) + " does not exist");
    const NodeEntry entry = *e;
    std::set<std::uint64_t> seen;
    try {
        NodeData data;
        data.pieces = ReadDataTree(*impl_, entry.data, seen);
        data.subnodes = ReadSubnodeTree(*impl_, entry.subnodes, seen);
        return data;
    } catch (const PstError& error) {
        throw PstError("node " + Hex(nid.value) + ": " + error.what());
    }
}

std::vector<NodeEntry> NodeDatabase::Nodes() const {
    std::vector<NodeEntry> all;
    all.reserve(impl_->nbt.Size());
    impl_->nbt.ForEach([&](const NodeEntry& e) { all.push_back(e); });
    return all;
}

void NodeDatabase::ForEachNode(const std::function<void(const NodeEntry&)>& visit) const { impl_->nbt.ForEach(visit); }

void NodeDatabase::Commit() { impl_->Commit(); }

void NodeDatabase::StopCommitBeforeHeaderForTesting(bool stop) { impl_->stop_before_header = stop; }

void NodeDatabase::KillAtCrashPointForTesting(long n) { impl_->kill_at_crash_point = n; }

void NodeDatabase::SetAllocationFloorForTesting(FileOffset ib) {
    impl_->RequireWritable();
    impl_->amap->SetFloor(ib);
}

int NodeDatabase::LinkAs(const std::filesystem::path& target) {
    const int error = impl_->file.LinkTo(target);
    if (error == 0) impl_->path = target;
    return error;
}

CryptMethod NodeDatabase::Crypt() const { return impl_->header.crypt; }
const std::filesystem::path& NodeDatabase::Path() const { return impl_->path; }
std::uint64_t NodeDatabase::FileSize() const {
    return impl_->amap ? impl_->amap->FileEnd() : impl_->header.root.ibFileEof;
}

}  // namespace ferrowick::pst
