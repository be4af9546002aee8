// [MS-CFB 2.6 Compound File Directory Sectors, 2.6.4 Red-Black Tree]
#include "msg/cfb/directory.hpp"

#include <string>

#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/entry_name.hpp"

namespace ferrowick::msg::cfb {

Directory Directory::Read(const SectorFile& file, const AllocationTable& fat) {
    const Header& h = file.Header();
    if (!h.firstDirectorySector.IsRegular())
        throw CfbError(ErrorKind::CorruptStructure, "the header names no directory sector");
    const std::vector<SectorId> chain = fat.Chain(h.firstDirectorySector, file.SectorCount(), "directory");
    const std::uint32_t perSector = file.SectorSize() / DirectoryEntry::kSize;
    std::vector<DirectoryEntry> entries;
    entries.reserve(chain.size() * perSector);
    for (SectorId sector : chain) {
        const std::vector<std::uint8_t> bytes = file.ReadSector(sector);
        for (std::uint32_t i = 0; i < perSector; ++i)
            entries.push_back(
                DirectoryEntry::Parse(std::span<const std::uint8_t>(bytes).subspan(i * DirectoryEntry::kSize,
                                                                                   DirectoryEntry::kSize),
                                      h.majorVersion));
    }
    return FromEntries(std::move(entries));
}

Directory Directory::FromEntries(std::vector<DirectoryEntry> entries) {
    if (entries.empty() || entries[0].type != ObjectType::Root)
        throw CfbError(ErrorKind::CorruptStructure, "directory entry 0 is not the root storage");
    Directory d;
    d.entries_ = std::move(entries);
    d.children_.resize(d.entries_.size());
    d.parent_.assign(d.entries_.size(), DirectoryEntryId::None());
    d.WalkTrees();
    d.names_ = ChildNameIndex(d.entries_, d.children_);
    return d;
}

void Directory::WalkTrees() {
    const std::size_t n = entries_.size();
    std::vector<bool> claimed(n, false);
    claimed[0] = true;
    auto valid = [&](DirectoryEntryId id, DirectoryEntryId from) {
        if (id.IsNone()) return false;
        if (id.value >= n)
            throw CfbError(ErrorKind::CorruptStructure, "directory entry " + std::to_string(from.value) +
                                                            " points to entry " + std::to_string(id.value) +
                                                            ", outside the directory of " + std::to_string(n) +
                                                            " entries");
        return true;
    };
    std::vector<DirectoryEntryId> storages{DirectoryEntryId::Root()};
    std::vector<DirectoryEntryId> stack;
    for (std::size_t next = 0; next < storages.size(); ++next) {
        const DirectoryEntryId storage = storages[next];
        std::vector<DirectoryEntryId>& list = children_[storage.value];
        // In-order walk with an explicit stack: a degenerate tree may be thousands deep.
        stack.clear();
        DirectoryEntryId node = entries_[storage.value].child;
        if (valid(node, storage) && !claimed[node.value])
            claimed[node.value] = true;
        else
            node = DirectoryEntryId::None();
        while (!node.IsNone() || !stack.empty()) {
            while (!node.IsNone()) {
                stack.push_back(node);
                const DirectoryEntryId left = entries_[node.value].left;
                if (valid(left, node) && !claimed[left.value]) {
                    claimed[left.value] = true;
                    node = left;
                } else {
                    node = DirectoryEntryId::None();
                }
            }
            const DirectoryEntryId current = stack.back();
            stack.pop_back();
            const DirectoryEntry& e = entries_[current.value];
            if (e.type == ObjectType::Storage || e.type == ObjectType::Stream) {
                list.push_back(current);
                parent_[current.value] = storage;
                if (e.type == ObjectType::Storage) storages.push_back(current);
            }
            const DirectoryEntryId right = e.right;
            if (valid(right, current) && !claimed[right.value]) {
                claimed[right.value] = true;
                node = right;
            }
        }
    }
}

const DirectoryEntry& Directory::Entry(DirectoryEntryId id) const {
    if (id.value >= entries_.size())
        throw CfbError(ErrorKind::InvalidArgument, "no directory entry " + std::to_string(id.value));
    return entries_[id.value];
}

std::span<const DirectoryEntryId> Directory::Children(DirectoryEntryId storage) const {
    if (storage.value >= children_.size())
        throw CfbError(ErrorKind::InvalidArgument, "no directory entry " + std::to_string(storage.value));
    return children_[storage.value];
}

std::optional<DirectoryEntryId> Directory::Find(DirectoryEntryId storage, std::u16string_view name) const {
    const DirectoryEntry& parent = Entry(storage);
    DirectoryEntryId node = parent.child;
    for (std::size_t steps = 0; !node.IsNone() && node.value < entries_.size() && steps < entries_.size(); ++steps) {
        const DirectoryEntry& e = entries_[node.value];
        const int order = CompareEntryNames(name, e.name);
        if (order == 0) break;
        node = order < 0 ? e.left : e.right;
    }
    if (!node.IsNone() && node.value < entries_.size() && parent_[node.value] == storage) return node;
    for (DirectoryEntryId id : Children(storage))
        if (CompareEntryNames(name, entries_[id.value].name) == 0) return id;
    return std::nullopt;
}

}  // namespace ferrowick::msg::cfb
