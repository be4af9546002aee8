// BTree-on-Heap [MS-PST 2.3.2].
#include "pst/ltp/bth.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr unsigned kMaxIndexLevels = 8;  // far beyond what 65,535 heap blocks can hold

std::string HidText(HeapId hid) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", hid.value);
    return text;
}

}  // namespace

int CompareBthKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    for (std::size_t i = size; i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

BthHeader BthHeader::Parse(le::ByteView bytes) {
    if (bytes.size() != kBthHeaderSize)
        throw PstError(ErrorKind::CorruptStructure, "BTH: header is " + std::to_string(bytes.size()) + " bytes, not 8");
    if (bytes[0] != kBthSignature) throw PstError(ErrorKind::CorruptStructure, "BTH: header signature is not 0xB5");
    BthHeader h;
    h.key_size = bytes[1];
    h.data_size = bytes[2];
    h.index_levels = bytes[3];
    h.root = HeapId(le::LoadU32(bytes.data() + 4));
    if (h.key_size != 2 && h.key_size != 4 && h.key_size != 8 && h.key_size != 16)
        throw PstError(ErrorKind::CorruptStructure,
                       "BTH: key size " + std::to_string(h.key_size) + " is not 2, 4, 8 or 16");
    if (h.data_size == 0 || h.data_size > 32)
        throw PstError(ErrorKind::CorruptStructure,
                       "BTH: record data size " + std::to_string(h.data_size) + " is not 1 to 32");
    if (h.index_levels > kMaxIndexLevels)
        throw PstError(ErrorKind::CorruptStructure, "BTH: " + std::to_string(h.index_levels) + " index levels");
    if (h.root.IsNull() && h.index_levels != 0)
        throw PstError(ErrorKind::CorruptStructure, "BTH: empty tree with index levels");
    return h;
}

le::Bytes BthHeader::Serialize() const {
    le::Bytes out(kBthHeaderSize);
    out[0] = kBthSignature;
    out[1] = key_size;
    out[2] = data_size;
    out[3] = index_levels;
    le::StoreU32(out.data() + 4, root.value);
    return out;
}

BthReader::BthReader(const HeapReader& heap, HeapId headerHid) {
    header_ = BthHeader::Parse(heap.Item(headerHid));
    if (header_.root.IsNull()) return;
    std::unordered_set<std::uint32_t> seen;
    Walk(heap, header_.root, header_.index_levels, nullptr, nullptr, seen);
}

// Visits the node at `hid`, whose keys must lie in [low, high) (null: unbounded), appending
// leaf records in order.
void BthReader::Walk(const HeapReader& heap, HeapId hid, unsigned level, const std::uint8_t* low,
                     const std::uint8_t* high, std::unordered_set<std::uint32_t>& seen) {
    if (!seen.insert(hid.value).second)
        throw PstError(ErrorKind::CorruptStructure, "BTH: node " + HidText(hid) + " is reached twice");
    const le::ByteView node = heap.Item(hid);
    const std::size_t key = header_.key_size;
    const std::size_t entry = key + (level == 0 ? header_.data_size : 4);
    if (node.empty() || node.size() % entry != 0)
        throw PstError(ErrorKind::CorruptStructure, "BTH: node " + HidText(hid) + " of " + std::to_string(node.size()) +
                                                        " bytes is not a whole number of " + std::to_string(entry) +
                                                        "-byte records");
    const std::size_t count = node.size() / entry;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* k = node.data() + i * entry;
        if (i > 0 && CompareBthKeys(node.data() + (i - 1) * entry, k, key) >= 0)
            throw PstError(ErrorKind::CorruptStructure, "BTH: keys out of order in node " + HidText(hid));
        if ((low && CompareBthKeys(k, low, key) < 0) || (high && CompareBthKeys(k, high, key) >= 0))
            throw PstError(ErrorKind::CorruptStructure,
                           "BTH: a key of node " + HidText(hid) + " lies outside the range its parent gives");
    }
    if (level == 0) {
        if (!records_.empty() && CompareBthKeys(records_.data() + records_.size() - entry, node.data(), key) >= 0)
            throw PstError(ErrorKind::CorruptStructure, "BTH: leaf " + HidText(hid) + " breaks the key order");
        records_.insert(records_.end(), node.begin(), node.end());
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* k = node.data() + i * entry;
        const std::uint8_t* next = i + 1 < count ? node.data() + (i + 1) * entry : high;
        Walk(heap, HeapId(le::LoadU32(k + key)), level - 1, k, next, seen);
    }
}

std::optional<std::size_t> BthReader::Find(le::ByteView key) const {
    if (key.size() != header_.key_size) return std::nullopt;
    std::size_t lo = 0, hi = Count();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const int c = CompareBthKeys(records_.data() + mid * RecordSize(), key.data(), key.size());
        if (c == 0) return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return std::nullopt;
}

HeapId WriteBth(HeapWriter& heap, std::uint8_t keySize, std::uint8_t dataSize, le::ByteView records, HeapId headerHid) {
    BthHeader header;
    header.key_size = keySize;
    header.data_size = dataSize;
    const std::size_t record = std::size_t{keySize} + dataSize;
    if (records.size() % record != 0)
        throw PstError(ErrorKind::InvalidArgument, "BTH: records are not a whole number of entries");
    for (std::size_t i = record; i < records.size(); i += record)
        if (CompareBthKeys(records.data() + i - record, records.data() + i, keySize) >= 0)
            throw PstError(ErrorKind::InvalidArgument, "BTH: records to write are not sorted by unique keys");
    if (headerHid.IsNull()) headerHid = heap.Allocate(header.Serialize());
    if (records.empty()) {
        if (heap.Replace(headerHid, header.Serialize()) != headerHid)
            throw PstError(ErrorKind::CorruptStructure, "BTH: header moved");
        return headerHid;
    }

    // Pack each level into nodes as full as a heap item allows, then index them.
    std::vector<std::pair<le::Bytes, HeapId>> level;  // first key, node
    const std::size_t perLeaf = kMaxHeapAllocation / record;
    for (std::size_t at = 0; at < records.size(); at += perLeaf * record) {
        const std::size_t n = std::min(records.size() - at, perLeaf * record);
        level.emplace_back(le::Bytes(records.begin() + at, records.begin() + at + keySize),
                           heap.Allocate(records.subspan(at, n)));
    }
    std::uint8_t levels = 0;
    const std::size_t perIndex = kMaxHeapAllocation / (keySize + 4u);
    while (level.size() > 1) {
        std::vector<std::pair<le::Bytes, HeapId>> upper;
        for (std::size_t at = 0; at < level.size(); at += perIndex) {
            le::Bytes node;
            const std::size_t end = std::min(level.size(), at + perIndex);
            node.reserve((end - at) * (keySize + 4u));
            for (std::size_t i = at; i < end; ++i) {
                node.insert(node.end(), level[i].first.begin(), level[i].first.end());
                le::AppendU32(node, level[i].second.value);
            }
            upper.emplace_back(level[at].first, heap.Allocate(std::move(node)));
        }
        level = std::move(upper);
        ++levels;
    }
    header.index_levels = levels;
    header.root = level.front().second;
    const le::Bytes bytes = header.Serialize();
    if (heap.Replace(headerHid, bytes) != headerHid) throw PstError(ErrorKind::CorruptStructure, "BTH: header moved");
    return headerHid;
}

}  // namespace ferrowick::pst
