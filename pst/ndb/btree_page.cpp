// [MS-PST 2.2.2.7.7 BTPAGE and its entries]
#include "pst/ndb/btree_page.hpp"

#include <cstdio>

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

void NodeEntry::Write(std::span<std::uint8_t> b) const {
    le::StoreU64(b.data(), nid.Value());
    le::StoreU64(b.data() + 8, data.Value());
    le::StoreU64(b.data() + 16, subnodes.Value());
    le::StoreU32(b.data() + 24, parent.Value());
    le::StoreU32(b.data() + 28, 0);
}

NodeEntry NodeEntry::Read(std::span<const std::uint8_t> b) {
    NodeEntry e;
    e.nid = NodeId(static_cast<std::uint32_t>(le::LoadU64(b.data())));
    e.data = BlockId(le::LoadU64(b.data() + 8));
    e.subnodes = BlockId(le::LoadU64(b.data() + 16));
    e.parent = NodeId(le::LoadU32(b.data() + 24));
    return e;
}

void BlockEntry::Write(std::span<std::uint8_t> b) const {
    le::StoreU64(b.data(), ref.bid.Value());
    le::StoreU64(b.data() + 8, ref.ib.Value());
    le::StoreU16(b.data() + 16, cb);
    le::StoreU16(b.data() + 18, cRef);
    le::StoreU32(b.data() + 20, 0);
}

BlockEntry BlockEntry::Read(std::span<const std::uint8_t> b) {
    BlockEntry e;
    e.ref = {BlockId(le::LoadU64(b.data())), FileOffset::FromFile(le::LoadU64(b.data() + 8))};
    e.cb = le::LoadU16(b.data() + 16);
    e.cRef = le::LoadU16(b.data() + 18);
    return e;
}

template <class Leaf>
std::array<std::uint8_t, kPageSize> BTreePage<Leaf>::Write(BlockId bid, FileOffset ib) const {
    std::array<std::uint8_t, kPageSize> page{};
    std::span<std::uint8_t> b(page);
    const bool leaf = cLevel == 0;
    const std::size_t count = leaf ? leaves.size() : index.size();
    const std::size_t size = leaf ? Leaf::kSize : IndexEntry::kSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (leaf) {
            leaves[i].Write(b.subspan(i * size, size));
        } else {
            le::StoreU64(b.data() + i * size, index[i].key);
            le::StoreU64(b.data() + i * size + 8, index[i].child.bid.Value());
            le::StoreU64(b.data() + i * size + 16, index[i].child.ib.Value());
        }
    }
    page[488] = static_cast<std::uint8_t>(count);
    page[489] = static_cast<std::uint8_t>(kBTreeEntryBytes / size);
    page[490] = static_cast<std::uint8_t>(size);
    page[491] = cLevel;
    SealPage(b, BTreePageType<Leaf>(), bid, ib);
    return page;
}

template <class Leaf>
std::optional<BTreePage<Leaf>> BTreePage<Leaf>::Read(std::span<const std::uint8_t> b, Problem* problem) {
    char text[160];
    auto fail = [&](const char* kind) {
        if (problem) *problem = Problem{kind, text};
        return std::nullopt;
    };
    BTreePage page;
    page.cLevel = b[491];
    const std::size_t count = b[488], max = b[489], size = b[490];
    const bool leaf = page.cLevel == 0;
    const std::size_t wantSize = leaf ? Leaf::kSize : IndexEntry::kSize;
    if (size != wantSize || max != kBTreeEntryBytes / wantSize) {
        std::snprintf(text, sizeof text, "B-tree page of level %u with cbEnt %zu and cEntMax %zu", page.cLevel, size,
                      max);
        return fail("btree-entry-size");
    }
    if (count > max) {
        std::snprintf(text, sizeof text, "B-tree page with %zu entries where at most %zu fit", count, max);
        return fail("btree-count");
    }
    std::uint64_t previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const auto at = b.subspan(i * size, size);
        std::uint64_t key;
        if (leaf) {
            page.leaves.push_back(Leaf::Read(at));
            key = page.leaves.back().Key();
        } else {
            IndexEntry e{le::LoadU64(at.data()),
                         {BlockId(le::LoadU64(at.data() + 8)), FileOffset::FromFile(le::LoadU64(at.data() + 16))}};
            page.index.push_back(e);
            key = e.key;
        }
        if (i > 0 && key <= previous) {
            std::snprintf(text, sizeof text, "B-tree page whose key 0x%llX follows 0x%llX",
                          static_cast<unsigned long long>(key), static_cast<unsigned long long>(previous));
            return fail("btree-order");
        }
        previous = key;
    }
    return page;
}

template struct BTreePage<NodeEntry>;
template struct BTreePage<BlockEntry>;

}  // namespace ferrowick::pst
