// [MS-PST 2.2.2 NDB layer] The node database: header, B-trees, allocation map and blocks
// tied together, with commits that survive a crash at any moment.
//
// HOW A STORE SURVIVES A CRASH
// ============================
// This is the one description of the writer's durability protocol; the other files that
// take part (file_io, allocation_map, store/new_store_file, store/open_store) point here.
// Tests: tests/pst/ndb_durability_test.cpp, ndb_writer_safety_test.cpp and
// tests/store/store_safety_test.cpp (kill -9 at every crash point of a long run).
//
// Words used below. "The header" is the 564-byte header at offset 0 with its ROOT.
// "The committed state" is what the B-tree roots in the header on disk lead to. "disk_eof"
// is the ibFileEof of the header on disk. A "kill" is the process dying: every write it
// made is in the page cache and stays. A "power cut" keeps only what fdatasync() returned
// for; other writes may or may not be there, in any order.
//
// 1. The commit point
//    The header write that names the new NBT and BBT roots. Before it the file shows the
//    previous state, after it the new one: readers find everything through those roots.
//    Nothing the committed state uses is ever overwritten. Blocks and B-tree pages go to
//    space that is free in the map in memory; what a change replaces or removes (blocks,
//    pages) is only queued (release_after_commit) and stays marked in use until after the
//    commit point. The only things written in place are the header, the map pages (AMap,
//    PMap, FMap, FPMap) and the density list, none of which a reader needs to find data.
//
// 2. Between commits: blocks and growth (the append rules)
//    PutNode() writes its blocks at once, gathered into runs of up to 4 MiB (FlushBatch);
//    a run is also written before any block is read back and at Commit(). They land in
//    space the maps on disk call free, so a kill leaves them as unused free space.
//    The file never holds bytes past disk_eof. Before a run would reach past it,
//    RecordGrowth() makes room and records it first, in this order:
//      a. the map in memory grows by a quarter of the file: at least one AMap region
//         (253,952 bytes), at most 16 MiB (a new file: only what it needs);
//      b. ftruncate() to the new end (the new bytes read as zeros);
//      c. the map pages of the new regions are written as a new region's are: free but
//         for the map pages, whatever was placed there since the last commit;
//      d. a header with the last commit's roots, the new ibFileEof and ibAMapLast, and
//         the free total of the maps on disk plus the new regions' (cbAMapFree);
//      e. fdatasync() when the file grew;
//    and only then is the run written. A file not yet committed records its growth through
//    step 2 of Commit() instead.
//
// 3. Commit(), in this order
//    1. The changed B-tree pages (and the pages above them, up to new roots) go to free
//       space; every gathered run is written, growing the file as in 2.
//    2. RecordSpace(): the file is cut or grown to the map's end; every changed AMap page
//       is written (marking the old and the new state in use); at the first commit of a
//       writer the density list becomes an empty one (another program's list describes
//       its maps, not ours); a header with the OLD roots and the new free total;
//       fdatasync(). The new state is now wholly on disk.
//    3. THE COMMIT POINT: a header with the NEW roots; fdatasync().
//    4. Only if something was released: the queued extents are freed in the map, the
//       changed AMap pages are written, a header with the same roots and the new free
//       total; fdatasync().
//    Every header write also counts up dwUnique and carries the NID and BID counters in
//    memory, which only ever rise, so an interim header never hands out an ID twice.
//
// 4. What a kill leaves, point by point (each CrashPoint() below is one such moment)
//    - while PutNode() writes (2): the last commit; the new blocks lie in free space.
//    - inside a growth (2 b-d): between the ftruncate() and the header, bytes past
//      disk_eof, which readers ignore, the checker lists as a leak and the next writer
//      cuts; from the header on, the last commit in a longer file whose new regions are
//      free. Its size equals ibFileEof at every CrashPoint().
//    - between steps 2 and 3: the last commit, with the new state's blocks and pages
//      marked in use: leaked space, listed as a leak; nobody reclaims it later.
//    - from step 3 on: the new state; before step 4 is through, the released space is
//      still marked in use (a leak again).
//    Creation (8) adds: a kill before the link leaves no file at all, or a temporary.
//
// 5. What a power cut leaves
//    The header of step 3 is written only after the fdatasync() of step 2 returned, so
//    the roots it names are on disk. Windows that remain:
//    - a growth (2) writes its header before its fdatasync(): a power cut within those
//      moments may keep the header but lose the new size or the new regions' map pages.
//      Readers still find the last commit (they use no map), but the checker reports the
//      file damaged and a writer refuses to add to it.
//    - the header of step 2 and of step 4 also precede their fdatasync(): at worst the
//      free total disagrees with the maps, which the checker lists as a leak.
//    - the header is 564 bytes, more than one 512-byte sector: a device that writes 512
//      bytes at a time can tear it, and then its CRCs fail and the file does not open.
//      Devices with 4 KiB sectors write it whole. Map pages are 512 bytes at 512-byte
//      boundaries and so written whole.
//
// 6. A failed write (full disk, I/O error, file size limit)
//    Whatever failed (a write, a resize, a flush), the file is cut back to disk_eof, the
//    gathered run is dropped and this database writes nothing more (write_failed): its
//    state in memory may name blocks that never reached the file. The file keeps its last
//    commit; OpenStore reports "The store could not be written: ...".
//
// 7. One writer, any number of readers
//    A writer holds an open-file-description write lock on the whole file (F_OFD_SETLK,
//    flock() where those are missing) from opening to closing, also while a new file is
//    still unnamed: a second writer, in this process or another, gets FileInUse. Readers
//    take no lock. On Windows the writer's share mode does the same: it shares reading
//    (and deleting), never writing, so the system refuses a second writer until the
//    writer's handle is closed. A reader open while a writer commits may read a header
//    half written (its CRCs fail) or blocks that a later commit reused (their trailers,
//    which carry BID, offset and CRC, fail): it gets an error, never other data.
//
// 8. Creating a file (store/new_store_file.cpp)
//    Temporaries a killed writer of the same output left behind are removed first (ones
//    still locked by their writer stay). The store is made without a name (O_TMPFILE in
//    the output's folder, filled through /proc/self/fd with fill_empty_file), committed,
//    then linked to its name with linkat(), which never replaces a file: when one
//    appeared meanwhile (EEXIST) the store made is dropped and the existing file is
//    opened as one to add to, or refused as in use. The folder is then fsync()ed so that
//    the name survives too. Where a file cannot be made without a name, a hidden
//    ".NAME.<16 hex digits>.tmp" is made beside it with O_EXCL and linked the same way,
//    and its temporary name removed. Create() never empties a file: O_EXCL, or (unnamed)
//    a file that must be empty. Windows makes no file without a name: there the store is
//    always made under the temporary name (CREATE_NEW) and moved to its own with
//    MoveFileExW without the replace flag, which fails when the name exists, just as the
//    link does; FlushFileBuffers is the flush of every step above.
//
// 9. The next writer (Open() with ReadWrite, then store/open_store.cpp)
//    Takes the lock (else FileInUse); checks the header's CRCs, loads both B-trees,
//    requires fAMapValid and loads every AMap page, each checked. OpenStore then checks
//    the whole file and adds to it only when nothing but leaks is found (and NID counters
//    that lag, which this writer raises before handing out a NID); anything else is left
//    byte for byte. Opening writes nothing: bytes past disk_eof are cut by the first
//    growth or step 2 of the first commit. Leaked space stays leaked.
//
// 10. When commits happen: store/open_store.hpp (every 1,000 messages, 2 seconds after
//    the last commit, at Close() and when the last handle lets go).
#include "pst/ndb/node_database.hpp"

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

constexpr std::size_t kWriteBatch = 4 << 20;      // contiguous block writes are gathered up to this
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

    // Every return from here finds the file whole: the moments a crash test tries (see 4).
    void CrashPoint() {
        if (kill_at_crash_point >= 0 && kill_at_crash_point-- == 0) EndProcessAbruptly();
    }

    void RequireWritable() const {
        if (mode != OpenMode::ReadWrite)
            throw PstError(ErrorKind::InvalidArgument, path.string() + " is open for reading only");
        if (write_failed)
            throw PstError(ErrorKind::Io, "an earlier write to " + path.string() +
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
        if (batch_start + batch.size() > disk_eof) RecordGrowth();  // the append rules (2)
        try {
            file.WriteAt(batch_start, batch);
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
        batch.clear();
        CrashPoint();
    }

    // Steps 2 a-e at the top of this file. Also cuts bytes a crash left past the end.
    void RecordGrowth() {
        std::uint64_t end = amap->FileEnd();
        if (disk_eof != 0 && end > disk_eof) {
            // Room for more than this write, so that growth and its records are rare (a new
            // file starts at its least).
            amap->GrowTo(end + std::clamp<std::uint64_t>(end / 4, kRegionSize, kGrowthLimit));
            end = amap->FileEnd();
        }
        const std::uint64_t diskRegions = disk_eof > kFirstAMapOffset ? (disk_eof - kFirstAMapOffset) / kRegionSize : 0;
        if (diskRegions == 0) return RecordSpace();  // a new file: nothing on disk to keep
        try {
            const bool grows = file.Size() < end;
            file.Resize(end);
            const std::uint64_t freshFree = amap->WriteFreshPages(file, diskRegions);
            WriteHeader(committed_nbt, committed_bbt, disk_free + freshFree);
            if (grows) file.Flush();
        } catch (const PstError&) {
            WriteFailed();
            throw;
        }
        CrashPoint();
    }

    // Step 2 of Commit() (see 3 at the top of this file), and the growth of a file not yet
    // committed: size and maps as in memory, recorded under the last commit's roots, so that
    // space taken since shows as leaked, never as free.
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

    // See 6 at the top of this file.
    void CutToDiskEof() noexcept {
        try {
            if (disk_eof >= kFirstAMapOffset && file.Size() > disk_eof) file.Resize(disk_eof);
        } catch (const PstError&) {
            // the next writer cuts them
        }
    }

    BlockId NextBlockId(bool internal) {
        const BlockId bid(header.bidNextB.Value() | (internal ? 0x2 : 0x0));
        header.bidNextB = header.bidNextB.Advanced(4);
        return bid;
    }

    BlockId WriteBlock(std::span<const std::uint8_t> payload, bool internal) override {
        RequireWritable();
        if (payload.size() > kMaxBlockPayload)
            throw PstError(ErrorKind::LimitExceeded, "a block payload is larger than 8,176 bytes");
        const BlockId bid = NextBlockId(internal);
        const std::size_t size = BlockDiskSize(payload.size());
        const FileOffset ib = amap->Allocate(size, false);
        std::array<std::uint8_t, kMaxBlockSize> buffer;
        std::span<std::uint8_t> block(buffer.data(), size);
        EncodeBlockDataInto(internal ? CryptMethod::None : header.crypt, payload, block.first(payload.size()));
        SealBlock(block, payload.size(), bid, ib);
        WriteGathered(ib.Value(), block);
        // Outlook counts one reference more than there are [pst-notes: cRef].
        bbt.Put(BlockEntry{{bid, ib}, static_cast<std::uint16_t>(payload.size()), 2});
        if (written_by_node) written_by_node->push_back(bid);
        return bid;
    }

    std::uint16_t ShareBlock(BlockId reference) override {
        RequireWritable();
        const BlockEntry* found = bbt.Find(reference.Lookup().Value());
        if (!found)
            throw PstError(ErrorKind::CorruptStructure,
                           "block " + Hex(reference.Value()) + " to share is not in the block B-tree");
        BlockEntry e = *found;
        if (e.cRef == 0xFFFF)
            throw PstError(ErrorKind::LimitExceeded, "block " + Hex(reference.Value()) + " is shared too often");
        ++e.cRef;
        bbt.Put(e);
        // A node that fails part way gives the reference back, as it frees what it wrote.
        if (written_by_node) written_by_node->push_back(e.ref.bid);
        return e.cb;
    }

    // The blocks the node being put has written so far, released when it cannot be finished.
    std::vector<BlockId>* written_by_node = nullptr;

    std::vector<std::uint8_t> ReadBlock(BlockId reference) override {
        // The low bit of a BID is reserved: references may carry it set [MS-PST 2.2.2.2].
        const BlockId bid = reference.Lookup();
        const BlockEntry* entry = bbt.Find(bid.Value());
        if (!entry)
            throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + " is not in the block B-tree");
        if (entry->cb > kMaxBlockPayload)
            throw PstError(ErrorKind::CorruptStructure,
                           "block " + Hex(bid.Value()) + " claims " + std::to_string(entry->cb) + " bytes");
        const std::size_t size = BlockDiskSize(entry->cb);
        FlushBatch();
        std::vector<std::uint8_t> block(size);
        if (entry->ref.ib.Value() < kFirstAMapOffset || entry->ref.ib.Value() % 64 != 0 ||
            !file.ReadAt(entry->ref.ib.Value(), block))
            throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + " at " +
                                                            Hex(entry->ref.ib.Value()) +
                                                            " lies outside the file's data area");
        if (auto problem = BlockProblem(block, entry->cb, bid, entry->ref.ib))
            throw PstError(ErrorKind::CorruptStructure,
                           "block " + Hex(bid.Value()) + " at " + Hex(entry->ref.ib.Value()) + ": " + problem->what);
        block.resize(entry->cb);
        if (!bid.IsInternal()) DecodeBlockData(header.crypt, block);
        return block;
    }

    // Drops one reference from a block. A block nobody uses any more leaves the block B-tree
    // now, its space is freed after the next commit, and (when internal) its children each
    // lose the reference it held; a block still shared keeps its children untouched.
    void ReleaseBlock(BlockId reference, int depth = 0) {
        if (reference.IsNull()) return;
        if (depth > 64) throw PstError(ErrorKind::CorruptStructure, "blocks nest deeper than any real file's");
        const BlockEntry* found = bbt.Find(reference.Lookup().Value());
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
        bbt.Erase(e.ref.bid.Value());
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
        header.bidNextP = header.bidNextP.Advanced(1);
        const auto page = build(bid, ib);
        WriteGathered(ib.Value(), page);
        return {bid, ib};
    }

    void WriteHeader(BlockRef nbtRoot, BlockRef bbtRoot, std::uint64_t freeBytes) {
        Header out = header;
        out.root.nbt = nbtRoot;
        out.root.bbt = bbtRoot;
        out.root.ibFileEof = amap->FileEnd();
        out.root.ibAMapLast = amap->LastAMap();
        out.root.cbAMapFree = freeBytes;
        out.root.cbPMapFree = 0;  // PMaps show every page in use
        out.root.fAMapValid = kAMapValid;
        out.dwUnique = ++header.dwUnique;
        std::array<std::uint8_t, kHeaderSize> bytes{};
        out.Write(bytes);
        file.WriteAt(0, bytes);
        header.root = out.root;
        disk_eof = out.root.ibFileEof;
        disk_free = freeBytes;
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

    // The numbered steps are those of 3 at the top of this file.
    void CommitSteps() {
        // 1. Freed space is still marked in use: the pages go where neither state has anything.
        const auto place = [this](BlockRef old, const auto& build) { return PlacePage(old, build); };
        const BlockRef nbtRoot = nbt.Flush(place);
        const BlockRef bbtRoot = bbt.Flush(place);
        for (BlockRef r : nbt.TakeDroppedPages()) release_after_commit.push_back({r.ib, kPageSize});
        for (BlockRef r : bbt.TakeDroppedPages()) release_after_commit.push_back({r.ib, kPageSize});
        FlushBatch();
        // 2.
        RecordSpace();
        file.Flush();
        CrashPoint();
        if (stop_before_header) throw PstError(ErrorKind::Io, "commit stopped before the header (test hook)");
        // 3. THE COMMIT POINT.
        WriteHeader(nbtRoot, bbtRoot, amap->FreeBytes());
        committed_nbt = nbtRoot;
        committed_bbt = bbtRoot;
        CrashPoint();
        file.Flush();
        CrashPoint();
        // 4. Nothing committed refers to the released space any more.
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
    const auto access =
        options.fill_empty_file ? RandomAccessFile::Access::FillEmpty : RandomAccessFile::Access::CreateNew;
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
        throw PstError(ErrorKind::UnsupportedFormat, path.string() + " is too short to be a .pst file");
    switch (ClassifyFile(bytes)) {
        case FileKind::NotPst:
            throw PstError(ErrorKind::UnsupportedFormat, path.string() + " is not a .pst file");
        case FileKind::Ansi:
            throw PstError(ErrorKind::UnsupportedFormat,
                           path.string() +
                               " is an ANSI .pst file (Outlook 97-2002 format); only Unicode .pst files are supported");
        case FileKind::Unicode4k:
            throw PstError(ErrorKind::UnsupportedFormat,
                           path.string() + " uses 4K pages (an .ost-style file); not supported");
        case FileKind::Unicode:
            break;
    }
    Header header = Header::Read(bytes);
    if (header.dwCRCPartial != HeaderPartialCrc(bytes) || header.dwCRCFull != HeaderFullCrc(bytes))
        throw PstError(ErrorKind::CorruptStructure, path.string() + " has a damaged header (CRC mismatch)");
    if (header.crypt != CryptMethod::None && header.crypt != CryptMethod::Permute)
        throw PstError(ErrorKind::UnsupportedFormat,
                       path.string() + " uses an encoding other than none or permutation; not supported");

    auto impl = std::make_unique<Impl>(path, std::move(file));
    impl->mode = mode;
    impl->counters_cover_subnodes = false;
    impl->header = header;
    const auto read = [&f = impl->file, size](FileOffset ib, std::span<std::uint8_t> out) {
        return ib.Value() >= kFirstAMapOffset && ib.Value() + out.size() <= size && f.ReadAt(ib.Value(), out);
    };
    try {
        impl->nbt = BTree<NodeEntry>::Load(read, header.root.nbt);
        impl->bbt = BTree<BlockEntry>::Load(read, header.root.bbt);
        if (mode == OpenMode::ReadWrite) {
            if (header.root.fAMapValid == 0)
                throw PstError(ErrorKind::CorruptStructure,
                               "its allocation map is marked invalid (the file needs a repair by Outlook first)");
            impl->amap = AllocationMap::Load(impl->file, header.root.ibAMapLast);
            impl->density_list_stale = true;
            impl->committed_nbt = header.root.nbt;
            impl->committed_bbt = header.root.bbt;
            impl->disk_eof = header.root.ibFileEof;
            impl->disk_free = impl->amap->FreeBytes();
        }
    } catch (const PstError& e) {
        throw PstError(e.Kind(), path.string() + " is damaged: " + e.what());
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
        if (last + 1 >= (1u << 27)) throw PstError(ErrorKind::LimitExceeded, "no node IDs of this type are left");
        ++last;
        // Never hand out a NID in use, whatever the counters say.
        bool inUse = Contains(NodeId::Make(type, last));
        for (NidType other : sharing) inUse = inUse || Contains(NodeId::Make(other, last));
        if (!inUse) break;
    }
    impl_->Counter(type) = last;
    for (NidType other : sharing) impl_->Counter(other) = last;
    return NodeId::Make(type, last);
}

void NodeDatabase::PutNode(NodeId nid, NodeId parent, const NodeData& data) {
    impl_->RequireWritable();
    NodeEntry entry;
    entry.nid = nid;
    entry.parent = parent;
    // A node whose data fails part way (a streamed value that cannot be read to its end)
    // leaves no blocks behind, and a node it was to replace stays as it was.
    std::vector<BlockId> written;
    impl_->written_by_node = &written;
    try {
        entry.data = WriteDataTree(*impl_, data);
        entry.subnodes = WriteSubnodeTree(*impl_, data.subnodes);
    } catch (...) {
        impl_->written_by_node = nullptr;
        try {
            for (auto it = written.rbegin(); it != written.rend(); ++it) impl_->ReleaseBlock(*it);
        } catch (...) {
            // The store is failing as a whole; the first error is the one to report.
        }
        throw;
    }
    impl_->written_by_node = nullptr;
    if (const NodeEntry* old = impl_->nbt.Find(nid.Value())) impl_->ReleaseBlocks(*old);
    impl_->nbt.Put(entry);
    impl_->Cover(nid);
    impl_->Cover(data.subnodes);
}

void NodeDatabase::RemoveNode(NodeId nid) {
    impl_->RequireWritable();
    const NodeEntry* old = impl_->nbt.Find(nid.Value());
    if (!old) return;
    impl_->ReleaseBlocks(*old);
    impl_->nbt.Erase(nid.Value());
}

bool NodeDatabase::Contains(NodeId nid) const { return impl_->nbt.Find(nid.Value()) != nullptr; }

std::optional<NodeEntry> NodeDatabase::FindNode(NodeId nid) const {
    if (const NodeEntry* e = impl_->nbt.Find(nid.Value())) return *e;
    return std::nullopt;
}

NodeData NodeDatabase::ReadNode(NodeId nid) const {
    const NodeEntry* e = impl_->nbt.Find(nid.Value());
    if (!e) throw PstError(ErrorKind::CorruptStructure, "node " + Hex(nid.Value()) + " does not exist");
    const NodeEntry entry = *e;
    std::set<std::uint64_t> seen;
    try {
        NodeData data;
        data.pieces = ReadDataTree(*impl_, entry.data, seen);
        data.subnodes = ReadSubnodeTree(*impl_, entry.subnodes, seen);
        return data;
    } catch (const PstError& error) {
        throw PstError(error.Kind(), "node " + Hex(nid.Value()) + ": " + error.what());
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
