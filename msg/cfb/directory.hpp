#pragma once
// [MS-CFB 2.6] The directory: every entry of the file, and the children of each storage
// found by walking the storage's red-black tree [MS-CFB 2.6.4].
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "msg/cfb/allocation_table.hpp"
#include "msg/cfb/child_name_index.hpp"
#include "msg/cfb/directory_entry.hpp"
#include "msg/cfb/sector_file.hpp"

namespace ferrowick::msg::cfb {

class Directory {
public:
    // Reads the directory chain and walks the trees from the root. An entry reached a second
    // time (a damaged tree) is not listed again, so the result is always a tree and walking it
    // always ends. Throws CfbError for links to entries that do not exist.
    static Directory Read(const SectorFile& file, const AllocationTable& fat);
    // The same from entries already in memory (entry 0 is the root).
    static Directory FromEntries(std::vector<DirectoryEntry> entries);

    const DirectoryEntry& Entry(DirectoryEntryId id) const;
    std::size_t EntryCount() const { return entries_.size(); }
    // Children of a storage in the tree's order; empty for streams.
    std::span<const DirectoryEntryId> Children(DirectoryEntryId storage) const;
    // Looks the name up by the tree's order first, then by a plain scan, for trees whose
    // writer sorted them wrongly.
    std::optional<DirectoryEntryId> Find(DirectoryEntryId storage, std::u16string_view name) const;
    // Every storage's children by upper-cased name, built with the directory.
    const ChildNameIndex& Names() const { return names_; }

private:
    void WalkTrees();

    std::vector<DirectoryEntry> entries_;
    std::vector<std::vector<DirectoryEntryId>> children_;
    std::vector<DirectoryEntryId> parent_;  // the storage that lists each entry
    ChildNameIndex names_;
};

}  // namespace ferrowick::msg::cfb
