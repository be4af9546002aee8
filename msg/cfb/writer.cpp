// [MS-CFB 2.2 header, 2.3 FAT, 2.4 mini FAT, 2.5 DIFAT, 2.6 directory, 2.6.4 red-black tree]
// Compound file writer.
#include "msg/cfb/writer.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>

#include "bytes/little_endian.hpp"
#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/difat.hpp"
#include "msg/cfb/directory_entry.hpp"
#include "msg/cfb/entry_name.hpp"
#include "msg/cfb/header.hpp"

namespace ferrowick::msg::cfb {
namespace {

constexpr std::uint32_t kSectorSize = 512;
constexpr std::uint32_t kEntriesPerSector = kSectorSize / 4;

std::uint32_t SectorsFor(std::uint64_t bytes, std::uint32_t sectorSize) {
    return static_cast<std::uint32_t>((bytes + sectorSize - 1) / sectorSize);
}

// Lays sorted siblings out as a balanced binary search tree. Nodes on the deepest level of a
// tree of two or more are red, the rest black: every path then passes the same number of
// black nodes and no red node has a red child.
DirectoryEntryId BuildTree(std::vector<DirectoryEntry>& entries, const std::vector<std::uint32_t>& sorted,
                           std::ptrdiff_t lo, std::ptrdiff_t hi, int depth, int deepest) {
    if (lo > hi) return DirectoryEntryId::None();
    const std::ptrdiff_t mid = lo + (hi - lo) / 2;
    DirectoryEntry& e = entries[sorted[mid]];
    e.color = depth == deepest && depth > 0 ? NodeColor::Red : NodeColor::Black;
    const DirectoryEntryId left = BuildTree(entries, sorted, lo, mid - 1, depth + 1, deepest);
    const DirectoryEntryId right = BuildTree(entries, sorted, mid + 1, hi, depth + 1, deepest);
    entries[sorted[mid]].left = left;
    entries[sorted[mid]].right = right;
    return DirectoryEntryId{sorted[mid]};
}

}  // namespace

CompoundFileWriter::CompoundFileWriter() {
    Node root;
    root.name = u"Root Entry";
    root.storage = true;
    nodes_.push_back(std::move(root));
}

CompoundFileWriter::NodeId CompoundFileWriter::Add(NodeId parent, std::u16string name, bool storage,
                                                   std::vector<std::uint8_t> data) {
    if (parent >= nodes_.size() || !nodes_[parent].storage)
        throw CfbError(ErrorKind::InvalidArgument, "parent is not a storage");
    if (!AcceptsName(name))
        throw CfbError(ErrorKind::InvalidArgument, "entry name must have 1 to 31 characters and none of / \\ : !");
    std::u16string upper = name;
    for (char16_t& c : upper) c = UpperCaseForNames(c);
    if (!nodes_[parent].upperCaseNames.insert(std::move(upper)).second)
        throw CfbError(ErrorKind::InvalidArgument, "two entries of one storage share a name");
    if (data.size() > 0x7FFFFFFF)
        throw CfbError(ErrorKind::LimitExceeded, "stream larger than a version 3 file allows");
    const NodeId id = nodes_.size();
    nodes_.push_back(Node{std::move(name), storage, std::move(data), {}, {}});
    nodes_[parent].children.push_back(id);
    return id;
}

bool CompoundFileWriter::AcceptsName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxEntryNameLength &&
           name.find_first_of(u"/\\:!") == std::u16string_view::npos;
}

CompoundFileWriter::NodeId CompoundFileWriter::AddStorage(NodeId parent, std::u16string name) {
    return Add(parent, std::move(name), true, {});
}

void CompoundFileWriter::AddStream(NodeId parent, std::u16string name, std::vector<std::uint8_t> data) {
    Add(parent, std::move(name), false, std::move(data));
}

struct CompoundFileWriter::Layout {
    // Directory entry numbers follow the order nodes were added; the root is entry 0.
    std::vector<DirectoryEntry> entries;
    std::vector<std::uint8_t> miniStream;
    std::vector<SectorId> miniFat;
    std::vector<std::uint32_t> bigStreams;  // entries of streams in sectors of their own

    std::uint32_t directorySectors = 0, miniFatSectors = 0, miniStreamSectors = 0, bigSectors = 0;
    std::uint32_t fatSectors = 0, difatSectors = 0;
    std::uint32_t DataSectors() const { return directorySectors + miniFatSectors + miniStreamSectors + bigSectors; }
    std::uint32_t TotalSectors() const { return fatSectors + difatSectors + DataSectors(); }

    std::vector<SectorId> fat;
    std::uint32_t firstDifat = 0;
    SectorId directoryStart, miniFatStart, miniStreamStart;
};

CompoundFileWriter::Layout CompoundFileWriter::PackStreams() const {
    Layout layout;
    const auto entryCount = static_cast<std::uint32_t>(nodes_.size());
    auto& entries = layout.entries;
    entries.resize(entryCount);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        entries[i].name = nodes_[i].name;
        entries[i].type = i == 0 ? ObjectType::Root : nodes_[i].storage ? ObjectType::Storage : ObjectType::Stream;
        entries[i].startSector = nodes_[i].storage && i != 0 ? SectorId{0} : SectorId::EndOfChain();
    }
    // Small streams go to the mini stream, each on its own run of 64-byte sectors.
    for (std::uint32_t i = 1; i < entryCount; ++i) {
        const Node& n = nodes_[i];
        if (n.storage) continue;
        entries[i].size = n.data.size();
        if (n.data.empty()) continue;
        if (n.data.size() >= Header::kMiniStreamCutoff) {
            layout.bigStreams.push_back(i);
            continue;
        }
        const auto first = static_cast<std::uint32_t>(layout.miniFat.size());
        const std::uint32_t count = SectorsFor(n.data.size(), Header::kMiniSectorSize);
        for (std::uint32_t k = 0; k < count; ++k)
            layout.miniFat.push_back(k + 1 < count ? SectorId{first + k + 1} : SectorId::EndOfChain());
        entries[i].startSector = SectorId{first};
        layout.miniStream.insert(layout.miniStream.end(), n.data.begin(), n.data.end());
        layout.miniStream.resize(static_cast<std::size_t>(first + count) * Header::kMiniSectorSize, 0);
    }
    return layout;
}

void CompoundFileWriter::CountSectors(Layout& layout) {
    layout.directorySectors = SectorsFor(layout.entries.size() * DirectoryEntry::kSize, kSectorSize);
    layout.miniFatSectors = SectorsFor(layout.miniFat.size() * 4, kSectorSize);
    layout.miniStreamSectors = SectorsFor(layout.miniStream.size(), kSectorSize);
    layout.bigSectors = 0;
    for (std::uint32_t i : layout.bigStreams) layout.bigSectors += SectorsFor(layout.entries[i].size, kSectorSize);
    // The FAT must also cover its own sectors and the DIFAT's.
    layout.fatSectors = 1;
    for (;;) {
        layout.difatSectors = DifatSectorsNeeded(layout.fatSectors, kSectorSize);
        const std::uint32_t needed =
            SectorsFor(static_cast<std::uint64_t>(layout.DataSectors() + layout.fatSectors + layout.difatSectors) * 4,
                       kSectorSize);
        if (needed <= layout.fatSectors) break;
        layout.fatSectors = needed;
    }
}

void CompoundFileWriter::ChainSectors(Layout& layout) const {
    auto& fat = layout.fat;
    fat.assign(static_cast<std::size_t>(layout.fatSectors) * kEntriesPerSector, SectorId::Free());
    std::uint32_t cursor = 0;
    for (std::uint32_t k = 0; k < layout.fatSectors; ++k) fat[cursor++] = SectorId{SectorId::kFat};
    layout.firstDifat = cursor;
    for (std::uint32_t k = 0; k < layout.difatSectors; ++k) fat[cursor++] = SectorId{SectorId::kDifat};
    auto chain = [&](std::uint32_t count) {
        const std::uint32_t first = cursor;
        for (std::uint32_t k = 0; k < count; ++k, ++cursor)
            fat[cursor] = k + 1 < count ? SectorId{cursor + 1} : SectorId::EndOfChain();
        return SectorId{first};
    };
    layout.directoryStart = chain(layout.directorySectors);
    layout.miniFatStart = layout.miniFatSectors ? chain(layout.miniFatSectors) : SectorId::EndOfChain();
    layout.miniStreamStart = layout.miniStreamSectors ? chain(layout.miniStreamSectors) : SectorId::EndOfChain();
    for (std::uint32_t i : layout.bigStreams)
        layout.entries[i].startSector = chain(SectorsFor(nodes_[i].data.size(), kSectorSize));
    layout.entries[0].startSector = layout.miniStreamStart;
    layout.entries[0].size = layout.miniStream.size();
}

void CompoundFileWriter::LinkSiblings(Layout& layout) const {
    for (std::uint32_t i = 0; i < nodes_.size(); ++i) {
        const Node& n = nodes_[i];
        if (!n.storage || n.children.empty()) continue;
        std::vector<std::uint32_t> sorted(n.children.begin(), n.children.end());
        std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
            return CompareEntryNames(nodes_[a].name, nodes_[b].name) < 0;
        });
        const int deepest = std::bit_width(sorted.size()) - 1;
        layout.entries[i].child =
            BuildTree(layout.entries, sorted, 0, static_cast<std::ptrdiff_t>(sorted.size()) - 1, 0, deepest);
    }
}

std::vector<std::uint8_t> CompoundFileWriter::WriteSectors(const Layout& layout) const {
    Header header;
    header.fatSectorCount = layout.fatSectors;
    header.firstDirectorySector = layout.directoryStart;
    header.firstMiniFatSector = layout.miniFatStart;
    header.miniFatSectorCount = layout.miniFatSectors;
    header.firstDifatSector = layout.difatSectors ? SectorId{layout.firstDifat} : SectorId::EndOfChain();
    header.difatSectorCount = layout.difatSectors;
    for (std::uint32_t k = 0; k < layout.fatSectors && k < Header::kDifatEntries; ++k) header.difat[k] = SectorId{k};

    std::vector<std::uint8_t> out = header.Serialize();
    out.resize(static_cast<std::size_t>(layout.TotalSectors() + 1) * kSectorSize, 0);
    auto sectorAt = [&](std::uint32_t sector) {
        return out.data() + static_cast<std::size_t>(sector + 1) * kSectorSize;
    };

    for (std::size_t k = 0; k < layout.fat.size(); ++k) le::StoreU32(sectorAt(0) + 4 * k, layout.fat[k].value);
    for (std::uint32_t d = 0; d < layout.difatSectors; ++d) {
        std::uint8_t* p = sectorAt(layout.firstDifat + d);
        for (std::uint32_t k = 0; k < kEntriesPerSector - 1; ++k) {
            const std::uint64_t fatIndex =
                Header::kDifatEntries + static_cast<std::uint64_t>(d) * (kEntriesPerSector - 1) + k;
            le::StoreU32(p + 4 * k,
                         fatIndex < layout.fatSectors ? static_cast<std::uint32_t>(fatIndex) : SectorId::kFree);
        }
        le::StoreU32(p + 4 * (kEntriesPerSector - 1),
                     d + 1 < layout.difatSectors ? layout.firstDifat + d + 1 : SectorId::kEndOfChain);
    }
    const std::size_t perDirectorySector = kSectorSize / DirectoryEntry::kSize;
    for (std::uint32_t s = 0; s < layout.directorySectors; ++s) {
        for (std::size_t k = 0; k < perDirectorySector; ++k) {
            const std::size_t index = s * perDirectorySector + k;
            DirectoryEntry unused;
            unused.startSector = SectorId{0};
            const DirectoryEntry& e = index < layout.entries.size() ? layout.entries[index] : unused;
            e.SerializeTo(std::span<std::uint8_t>(sectorAt(layout.directoryStart.value + s) + k * DirectoryEntry::kSize,
                                                  DirectoryEntry::kSize));
        }
    }
    if (layout.miniFatSectors) {
        std::uint8_t* p = sectorAt(layout.miniFatStart.value);
        const std::size_t slots = static_cast<std::size_t>(layout.miniFatSectors) * kEntriesPerSector;
        for (std::size_t k = 0; k < slots; ++k)
            le::StoreU32(p + 4 * k, k < layout.miniFat.size() ? layout.miniFat[k].value : SectorId::kFree);
    }
    if (layout.miniStreamSectors)
        std::memcpy(sectorAt(layout.miniStreamStart.value), layout.miniStream.data(), layout.miniStream.size());
    for (std::uint32_t i : layout.bigStreams)
        std::memcpy(sectorAt(layout.entries[i].startSector.value), nodes_[i].data.data(), nodes_[i].data.size());
    return out;
}

std::vector<std::uint8_t> CompoundFileWriter::Finish() const {
    Layout layout = PackStreams();
    CountSectors(layout);
    ChainSectors(layout);
    LinkSiblings(layout);
    return WriteSectors(layout);
}

void CompoundFileWriter::WriteTo(const std::filesystem::path& path) const {
    const std::vector<std::uint8_t> bytes = Finish();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw CfbError(ErrorKind::Io, "cannot write " + path.string());
}

}  // namespace ferrowick::msg::cfb
