// [MS-PST 2.2.2 NDB layer] as a checker: every structure is read with bounds, depth limits
// and visited sets, so that damaged or hostile files give findings, never a crash or hang.
#include "pst/check/pst_checker.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pst/check/ltp_checks.hpp"
#include "pst/ndb/block.hpp"
#include "pst/ndb/btree_page.hpp"
#include "pst/ndb/encoding.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "pst/ndb/hex_text.hpp"
#include "pst/ndb/map_layout.hpp"
#include "pst/ndb/page.hpp"
#include "pst/ndb/subnode_block.hpp"
#include "pst/ndb/xblock.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::size_t kMaxFindings = 1000;
constexpr int kMaxBTreeDepth = 16;
constexpr int kMaxSubnodeNesting = 32;

struct BlockInfo {
    BlockEntry entry;
    std::uint32_t references = 0;
    bool checked = false;
    bool sound = false;
};

class Checker {
public:
    Checker(const std::filesystem::path& path, CheckOptions options)
        : file_(path, RandomAccessFile::Access::Read), options_(options) {}

    Findings Run() {
        if (!CheckHeader()) return std::move(findings_);
        const std::uint64_t end = std::min(size_, header_.root.ibFileEof);
        if (end > kFirstAMapOffset) used_.assign(((end - kFirstAMapOffset) / kSlotSize + 7) / 8, 0);
        CheckMapPages(end);
        CheckDensityList();
        WalkBTree<NodeEntry>(header_.root.nbt);
        WalkBTree<BlockEntry>(header_.root.bbt);
        CheckBidCounters();
        for (const NodeEntry& node : nodes_) CheckNode(node);
        CheckNidCounters();
        CheckReferenceCounts();
        CheckAllocation();
        return std::move(findings_);
    }

private:
    void Add(Severity severity, std::string kind, std::string where, std::string what) {
        if (findings_.size() == kMaxFindings)
            findings_.push_back({Severity::Corruption, "too-many-findings", "file", "further findings left out"});
        if (findings_.size() > kMaxFindings) return;
        findings_.push_back({severity, std::move(kind), std::move(where), std::move(what)});
    }
    void Bad(std::string kind, std::string where, std::string what) {
        Add(Severity::Corruption, std::move(kind), std::move(where), std::move(what));
    }

    bool Read(std::uint64_t at, std::span<std::uint8_t> out) const {
        return at <= size_ && out.size() <= size_ - at && file_.ReadAt(at, out);
    }

    // --- header -----------------------------------------------------------------------

    bool CheckHeader() {
        size_ = file_.Size();
        std::array<std::uint8_t, kHeaderSize> bytes{};
        if (size_ < kHeaderSize || !Read(0, bytes))
            throw PstError(ErrorKind::UnsupportedFormat, "too short to be a .pst file");
        switch (ClassifyFile(bytes)) {
            case FileKind::NotPst:
                throw PstError(ErrorKind::UnsupportedFormat, "not a .pst file");
            case FileKind::Ansi:
                throw PstError(ErrorKind::UnsupportedFormat,
                               "an ANSI .pst file (Outlook 97-2002 format); only Unicode files are checked");
            case FileKind::Unicode4k:
                throw PstError(ErrorKind::UnsupportedFormat, "a .pst with 4K pages; not supported");
            case FileKind::Unicode:
                break;
        }
        header_ = Header::Read(bytes);
        if (header_.dwCRCPartial != HeaderPartialCrc(bytes))
            Bad("header-crc", "header", "dwCRCPartial " + Hex(header_.dwCRCPartial) + " does not match the header");
        if (header_.dwCRCFull != HeaderFullCrc(bytes))
            Bad("header-crc", "header", "dwCRCFull " + Hex(header_.dwCRCFull) + " does not match the header");
        if (header_.bSentinel != 0x80)
            Bad("header-field", "header", "bSentinel is " + Hex(header_.bSentinel) + ", not 0x80");
        if (header_.crypt != CryptMethod::None && header_.crypt != CryptMethod::Permute)
            Bad("header-field", "header",
                "bCryptMethod " + Hex(static_cast<unsigned>(header_.crypt)) + " is not one we read");
        if (header_.root.fAMapValid != 1 && header_.root.fAMapValid != kAMapValid)
            Bad("amap-invalid", "header",
                "fAMapValid is " + Hex(header_.root.fAMapValid) + ": the AMaps are not to be trusted");
        const std::uint64_t eof = header_.root.ibFileEof;
        if (eof > size_)
            Bad("file-eof", "header", "ibFileEof " + Hex(eof) + " lies past the end of the file (" + Hex(size_) + ")");
        else if (eof < size_)
            Add(Severity::Leak, "file-eof", "header",
                "the file has " + std::to_string(size_ - eof) + " bytes past ibFileEof");
        if (eof < kFirstAMapOffset + kPageSize) {
            Bad("file-eof", "header", "ibFileEof " + Hex(eof) + " leaves no room for the first AMap");
            return false;
        }
        const std::uint64_t lastRegion = (eof - kFirstAMapOffset - 1) / kRegionSize;
        if (header_.root.ibAMapLast.Value() != RegionStart(lastRegion))
            Bad("header-field", "header",
                "ibAMapLast " + Hex(header_.root.ibAMapLast.Value()) + " where the last AMap is at " +
                    Hex(RegionStart(lastRegion)));
        if (header_.crypt != CryptMethod::None && header_.crypt != CryptMethod::Permute) return false;
        return true;
    }

    // --- space in use -----------------------------------------------------------------

    // Marks [ib, ib+bytes) in use by `what`; reports overlaps and space outside the file.
    bool Use(std::uint64_t ib, std::uint64_t bytes, const std::string& what) {
        if (ib < kFirstAMapOffset || ib % kSlotSize != 0 || bytes > std::numeric_limits<std::uint64_t>::max() - ib ||
            (ib + bytes - kFirstAMapOffset) / kSlotSize > used_.size() * 8) {
            Bad("outside-file", what, "lies outside the file's data area (at " + Hex(ib) + ")");
            return false;
        }
        bool overlap = false;
        for (std::uint64_t s = (ib - kFirstAMapOffset) / kSlotSize, e = s + (bytes + kSlotSize - 1) / kSlotSize; s < e;
             ++s) {
            std::uint8_t& byte = used_[s >> 3];
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (s & 7));
            overlap |= (byte & bit) != 0;
            byte |= bit;
        }
        if (overlap) Bad("space-overlap", what, "shares space with another page or block");
        return true;
    }

    // --- map pages --------------------------------------------------------------------

    void CheckMapPages(std::uint64_t end) {
        std::array<std::uint8_t, kPageSize> page{};
        for (std::uint64_t r = 0; RegionStart(r) < end; ++r) {
            for (const MapPage& p : MapPagesOfRegion(r)) {
                const std::string where = "map page at " + Hex(p.ib.Value());
                if (!Read(p.ib.Value(), page)) {
                    Bad("truncated", where, "lies past the end of the file");
                    return;
                }
                Use(p.ib.Value(), kPageSize, where);
                if (auto problem = PageProblem(page, p.type, BlockId(p.ib.Value()), p.ib)) {
                    Bad(problem->kind, where, problem->what);
                    continue;
                }
                if (p.type == PageType::AllocationMap)
                    amap_.insert(amap_.end(), page.begin(), page.begin() + kPageDataSize);
            }
            if (amap_.size() != (r + 1) * kPageDataSize) amap_.resize((r + 1) * kPageDataSize, 0xFF);
        }
    }

    void CheckDensityList() {
        std::array<std::uint8_t, kPageSize> page{};
        if (!Read(kDensityListOffset, page)) return;
        const PageTrailer t = PageTrailer::Read(page);
        if (t.ptype == 0 && t.ptypeRepeat == 0 && t.dwCRC == 0 && t.bid.IsNull()) return;  // older files have none
        if (auto problem = PageProblem(page, PageType::DensityList, t.bid, FileOffset(kDensityListOffset)))
            Bad(problem->kind, "density list page", problem->what);
    }

    // --- B-trees ----------------------------------------------------------------------

    template <class Leaf>
    void WalkBTree(BlockRef root) {
        const bool nbt = BTreePageType<Leaf>() == PageType::NodeBTree;
        const std::string name = nbt ? "node B-tree" : "block B-tree";
        std::set<std::uint64_t> visited;
        std::function<void(BlockRef, int, int, std::uint64_t, std::uint64_t, bool)> walk =
            [&](BlockRef ref, int depth, int wantLevel, std::uint64_t low, std::uint64_t high, bool bounded) {
                const std::string where = name + " page " + Hex(ref.bid.Value()) + " at " + Hex(ref.ib.Value());
                if (depth > kMaxBTreeDepth)
                    return Bad("btree-depth", where, "the B-tree is deeper than any real file's");
                if (!visited.insert(ref.ib.Value()).second)
                    return Bad("btree-cycle", where, "the page is reached twice");
                maxPageBid_ = std::max(maxPageBid_, ref.bid.Value());
                std::array<std::uint8_t, kPageSize> bytes{};
                if (ref.ib.Value() % kPageSize != 0)
                    return Bad("page-alignment", where, "a page must start at a multiple of 512");
                if (!Read(ref.ib.Value(), bytes)) return Bad("truncated", where, "lies past the end of the file");
                Use(ref.ib.Value(), kPageSize, where);
                if (auto problem = PageProblem(bytes, BTreePageType<Leaf>(), ref.bid, ref.ib))
                    return Bad(problem->kind, where, problem->what);
                Problem problem;
                auto page = BTreePage<Leaf>::Read(bytes, &problem);
                if (!page) return Bad(problem.kind, where, problem.what);
                if (wantLevel >= 0 && page->cLevel != wantLevel)
                    return Bad("btree-level", where,
                               "level " + std::to_string(page->cLevel) + " where " + std::to_string(wantLevel) +
                                   " was expected");
                auto inRange = [&](std::uint64_t key) {
                    if (key >= low && (!bounded || key < high)) return true;
                    Bad("btree-order", where, "key " + Hex(key) + " lies outside the range its parent gives");
                    return false;
                };
                if (page->cLevel == 0) {
                    for (const Leaf& e : page->leaves)
                        if (inRange(e.Key())) Collect(e);
                    return;
                }
                if (page->index.empty()) return Bad("btree-count", where, "an intermediate page without entries");
                for (std::size_t i = 0; i < page->index.size(); ++i) {
                    const IndexEntry& e = page->index[i];
                    if (!inRange(e.key)) continue;
                    const bool last = i + 1 == page->index.size();
                    walk(e.child, depth + 1, page->cLevel - 1, e.key, last ? high : page->index[i + 1].key,
                         last ? bounded : true);
                }
            };
        walk(root, 0, -1, 0, 0, false);
    }

    void Collect(const NodeEntry& e) { nodes_.push_back(e); }
    void Collect(const BlockEntry& e) {
        const std::string where = "block " + Hex(e.ref.bid.Value());
        if (e.ref.bid.Value() & 1) Bad("block-bid", where, "a block B-tree key with the reserved bit set");
        maxBlockBid_ = std::max(maxBlockBid_, e.ref.bid.Value());
        blocks_[e.ref.bid.Value()] = BlockInfo{e};
        if (e.cb > kMaxBlockPayload) {
            Bad("block-size", where, "claims " + std::to_string(e.cb) + " bytes, more than a block holds");
            return;
        }
        Use(e.ref.ib.Value(), BlockDiskSize(e.cb), where + " at " + Hex(e.ref.ib.Value()));
    }

    void CheckBidCounters() {
        if (maxPageBid_ >= header_.bidNextP.Value())
            Bad("bid-counter", "header",
                "bidNextP " + Hex(header_.bidNextP.Value()) + " is not above page BID " + Hex(maxPageBid_));
        if (maxBlockBid_ >= header_.bidNextB.Value())
            Bad("bid-counter", "header",
                "bidNextB " + Hex(header_.bidNextB.Value()) + " is not above block BID " + Hex(maxBlockBid_));
    }

    // --- blocks and trees ---------------------------------------------------------------

    // Counts one reference to `bid`; returns the block's decoded payload when it is sound.
    // A block shared by several parents is counted once per parent block, not once per path
    // [MS-PST 2.2.2.7.7.3 cRef]: the children of an internal block met again are not counted.
    std::optional<std::vector<std::uint8_t>> Reference(BlockId reference, const std::string& where, bool count = true) {
        const BlockId bid = reference.Lookup();
        auto it = blocks_.find(bid.Value());
        if (it == blocks_.end()) {
            Bad("block-missing", where, "refers to block " + Hex(reference.Value()) + ", which the block B-tree lacks");
            return std::nullopt;
        }
        BlockInfo& info = it->second;
        if (count) ++info.references;
        if (info.checked && !info.sound) return std::nullopt;
        const std::string blockWhere = "block " + Hex(bid.Value()) + " at " + Hex(info.entry.ref.ib.Value());
        if (info.entry.cb > kMaxBlockPayload) return std::nullopt;
        std::vector<std::uint8_t> bytes(BlockDiskSize(info.entry.cb));
        if (!Read(info.entry.ref.ib.Value(), bytes)) {
            if (!info.checked) Bad("truncated", blockWhere, "lies past the end of the file");
            info.checked = true;
            return std::nullopt;
        }
        if (!info.checked) {
            info.checked = true;
            if (auto problem = BlockProblem(bytes, info.entry.cb, bid, info.entry.ref.ib)) {
                Bad(problem->kind, blockWhere, problem->what);
                return std::nullopt;
            }
            info.sound = true;
        }
        bytes.resize(info.entry.cb);
        if (!bid.IsInternal()) DecodeBlockData(header_.crypt, bytes);
        return bytes;
    }

    // Reads a data tree into `out` (pieces), checking its shape; false when damaged.
    bool FirstExpansion(BlockId bid) { return expanded_.insert(bid.Lookup().Value()).second; }

    bool DataTree(BlockId root, const std::string& where, std::set<std::uint64_t>& seen,
                  std::vector<std::vector<std::uint8_t>>* out, bool count = true) {
        if (root.IsNull()) return true;
        auto visit = [&](BlockId bid) {
            if (seen.insert(bid.Lookup().Value()).second) return true;
            Bad("block-cycle", where, "block " + Hex(bid.Value()) + " is reached twice");
            return false;
        };
        if (!visit(root)) return false;
        auto payload = Reference(root, where, count);
        if (!payload) return false;
        if (root.IsInternal()) count = count && FirstExpansion(root);
        if (!root.IsInternal()) {
            if (out) out->push_back(std::move(*payload));
            return true;
        }
        Problem problem;
        auto top = XBlock::Read(*payload, &problem);
        if (!top) {
            Bad(problem.kind, where + ", block " + Hex(root.Value()), problem.what);
            return false;
        }
        std::vector<XBlock> xblocks;
        std::vector<bool> counts;  // whether the children of each XBLOCK are counted
        if (top->cLevel == 2) {
            std::uint64_t sum = 0;
            for (BlockId child : top->children) {
                if (!child.IsInternal()) {
                    Bad("xblock", where, "XXBLOCK " + Hex(root.Value()) + " lists data block " + Hex(child.Value()));
                    return false;
                }
                if (!visit(child)) return false;
                auto bytes = Reference(child, where, count);
                if (!bytes) return false;
                auto x = XBlock::Read(*bytes, &problem);
                if (!x || x->cLevel != 1) {
                    Bad("xblock", where,
                        "XXBLOCK " + Hex(root.Value()) + " lists " + Hex(child.Value()) + ", which is no XBLOCK");
                    return false;
                }
                sum += x->lcbTotal;
                xblocks.push_back(std::move(*x));
                counts.push_back(count && FirstExpansion(child));
            }
            if (sum != top->lcbTotal)
                Bad("data-tree-size", where,
                    "XXBLOCK " + Hex(root.Value()) + " gives lcbTotal " + std::to_string(top->lcbTotal) +
                        " where its XBLOCKs hold " + std::to_string(sum));
        } else {
            xblocks.push_back(std::move(*top));
            counts.push_back(count);
        }
        bool sound = true;
        for (std::size_t k = 0; k < xblocks.size(); ++k) {
            const XBlock& x = xblocks[k];
            std::uint64_t sum = 0;
            for (BlockId child : x.children) {
                if (child.IsInternal()) {
                    Bad("xblock", where, "an XBLOCK lists internal block " + Hex(child.Value()));
                    return false;
                }
                if (!visit(child)) return false;
                auto bytes = Reference(child, where, counts[k]);
                if (!bytes) {
                    sound = false;
                    continue;
                }
                sum += bytes->size();
                if (out) out->push_back(std::move(*bytes));
            }
            if (sound && sum != x.lcbTotal) {
                Bad("data-tree-size", where,
                    "an XBLOCK gives lcbTotal " + std::to_string(x.lcbTotal) + " where its blocks hold " +
                        std::to_string(sum));
                sound = false;
            }
        }
        return sound;
    }

    bool SubnodeTree(BlockId root, const std::string& where, std::set<std::uint64_t>& seen, int depth,
                     std::map<NodeId, NodeData>* out, bool count = true) {
        if (root.IsNull()) return true;
        if (depth > kMaxSubnodeNesting) {
            Bad("subnode-depth", where, "sub-nodes nested deeper than any real file's");
            return false;
        }
        if (!root.IsInternal()) {
            Bad("subnode-block", where, "sub-node tree " + Hex(root.Value()) + " is not an internal block");
            return false;
        }
        if (!seen.insert(root.Lookup().Value()).second) {
            Bad("block-cycle", where, "block " + Hex(root.Value()) + " is reached twice");
            return false;
        }
        auto payload = Reference(root, where, count);
        if (!payload) return false;
        count = count && FirstExpansion(root);
        Problem problem;
        auto top = SubnodeBlock::Read(*payload, &problem);
        if (!top) {
            Bad(problem.kind, where + ", block " + Hex(root.Value()), problem.what);
            return false;
        }
        std::vector<std::pair<SubnodeLeafEntry, bool>> leaves;
        for (const auto& e : top->leaves) leaves.push_back({e, count});
        if (top->cLevel == 1) {
            for (const auto& e : top->index) {
                if (!seen.insert(e.block.Lookup().Value()).second) {
                    Bad("block-cycle", where, "block " + Hex(e.block.Value()) + " is reached twice");
                    return false;
                }
                auto bytes = Reference(e.block, where, count);
                if (!bytes) return false;
                const bool countLeaf = count && FirstExpansion(e.block);
                auto leaf = SubnodeBlock::Read(*bytes, &problem);
                if (!leaf || leaf->cLevel != 0) {
                    Bad("subnode-block", where,
                        "SIBLOCK " + Hex(root.Value()) + " points at " + Hex(e.block.Value()) +
                            ", which is no SLBLOCK");
                    return false;
                }
                if (!leaf->leaves.empty() && leaf->leaves.front().nid != e.nid)
                    Bad("subnode-block", where,
                        "SIBLOCK key " + Hex(e.nid.Value()) + " differs from its SLBLOCK's first NID");
                for (const auto& l : leaf->leaves) leaves.push_back({l, countLeaf});
            }
        }
        bool sound = true;
        for (const auto& [e, count_entry] : leaves) {
            const std::string sub = where + ", sub-node " + Hex(e.nid.Value());
            NidInUse(e.nid, sub);
            NodeData data;
            sound &= DataTree(e.data, sub, seen, out ? &data.pieces : nullptr, count_entry);
            sound &= SubnodeTree(e.subnodes, sub, seen, depth + 1, out ? &data.subnodes : nullptr, count_entry);
            if (out) (*out)[e.nid] = std::move(data);
        }
        return sound;
    }

    void CheckNode(const NodeEntry& node) {
        const std::string where = "node " + Hex(node.nid.Value());
        NidInUse(node.nid, where);
        std::set<std::uint64_t> seen;
        NodeData data;
        const bool keep = options_.ltp;
        bool sound = DataTree(node.data, where, seen, keep ? &data.pieces : nullptr);
        sound &= SubnodeTree(node.subnodes, where, seen, 0, keep ? &data.subnodes : nullptr);
        if (!sound || !keep) return;
        for (Finding& f : CheckLtpNode(node.nid, data, where))
            Add(f.severity, std::move(f.kind), std::move(f.where), std::move(f.what));
    }

    // --- NID counters --------------------------------------------------------------------

    void NidInUse(NodeId nid, const std::string& where) {
        auto& [highest, at] = highestNid_[static_cast<std::uint8_t>(nid.Type())];
        if (nid.Index() > highest) {
            highest = nid.Index();
            at = where;
        }
    }

    // Each rgnid counter must reach the highest index of its type anywhere in the file,
    // sub-nodes included: a writer that trusts the counter would hand that NID out again.
    void CheckNidCounters() {
        for (std::size_t type = 0; type < highestNid_.size(); ++type) {
            const auto& [highest, at] = highestNid_[type];
            if (highest > header_.rgnid[type])
                Bad("nid-counter", "header",
                    "rgnid[" + Hex(type) + "] is " + Hex(header_.rgnid[type]) + " but " + at + " uses index " +
                        Hex(highest));
        }
    }

    // --- reference counts and allocation ------------------------------------------------

    void CheckReferenceCounts() {
        for (const auto& [bid, info] : blocks_) {
            const std::string where = "block " + Hex(bid);
            const std::uint32_t want = info.references + 1;  // Outlook keeps one reference more
            if (info.references == 0)
                Add(Severity::Leak, "block-unreferenced", where, "is in the block B-tree but nothing refers to it");
            else if (info.entry.cRef < want)
                Bad("block-refcount", where,
                    "cRef " + std::to_string(info.entry.cRef) + " with " + std::to_string(info.references) +
                        " references");
            else if (info.entry.cRef > want)
                Add(Severity::Leak, "block-refcount", where,
                    "cRef " + std::to_string(info.entry.cRef) + " with only " + std::to_string(info.references) +
                        " references");
        }
    }

    void CheckAllocation() {
        if (header_.root.fAMapValid != 1 && header_.root.fAMapValid != kAMapValid) return;
        const std::uint64_t slots = std::min<std::uint64_t>(used_.size() * 8, amap_.size() * 8);
        std::uint64_t freeSlots = 0;
        for (std::uint64_t region = 0; region * kSlotsPerRegion < slots; ++region) {
            std::uint64_t unmarked = 0, leaked = 0, firstUnmarked = 0;
            const std::uint64_t last = std::min(slots, (region + 1) * kSlotsPerRegion);
            for (std::uint64_t s = region * kSlotsPerRegion; s < last; ++s) {
                const bool inUse = (used_[s >> 3] >> (7 - (s & 7))) & 1;
                const bool marked = (amap_[s >> 3] >> (7 - (s & 7))) & 1;
                if (!marked) ++freeSlots;
                if (inUse && !marked && unmarked++ == 0) firstUnmarked = s;
                if (!inUse && marked) ++leaked;
            }
            const std::string where = "AMap page at " + Hex(RegionStart(region));
            if (unmarked)
                Bad("amap-unmarked", where,
                    std::to_string(unmarked * kSlotSize) + " bytes in use are marked free, the first at " +
                        Hex(kFirstAMapOffset + firstUnmarked * kSlotSize));
            if (leaked)
                Add(Severity::Leak, "amap-leak", where,
                    std::to_string(leaked * kSlotSize) + " bytes marked in use are used by nothing");
        }
        // The free total is bookkeeping only: after a crash between the AMap and header
        // writes it can disagree with the AMaps without any structure being at risk.
        if (freeSlots * kSlotSize != header_.root.cbAMapFree)
            Add(Severity::Leak, "amap-free-total", "header",
                "cbAMapFree " + std::to_string(header_.root.cbAMapFree) + " where the AMaps show " +
                    std::to_string(freeSlots * kSlotSize) + " bytes free");
    }

    RandomAccessFile file_;
    CheckOptions options_;
    std::uint64_t size_ = 0;
    Header header_;
    Findings findings_;
    std::vector<std::uint8_t> used_;  // one bit per 64-byte slot from 0x4400, MSB first
    std::vector<std::uint8_t> amap_;  // the AMap bits as read
    std::vector<NodeEntry> nodes_;
    std::map<std::uint64_t, BlockInfo> blocks_;
    std::set<std::uint64_t> expanded_;  // internal blocks whose children were counted
    std::uint64_t maxPageBid_ = 0, maxBlockBid_ = 0;
    std::array<std::pair<std::uint32_t, std::string>, 32> highestNid_{};  // per NID type: index, where
};

}  // namespace

Findings CheckPstFile(const std::filesystem::path& path, CheckOptions options) {
    Checker checker(path, options);
    return checker.Run();
}

bool IsSound(const Findings& findings) {
    return std::none_of(findings.begin(), findings.end(),
                        [](const Finding& f) { return f.severity == Severity::Corruption; });
}

}  // namespace ferrowick::pst
