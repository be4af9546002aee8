#pragma once
// [MS-CFB 2.6.4] Children of each storage by name, compared the way the red-black trees
// compare them (upper-cased), for lookups that do not trust a damaged tree's order. Built
// once per file: one buffer of upper-cased names and one sorted array of children.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "msg/cfb/directory_entry.hpp"

namespace ferrowick::msg::cfb {

class ChildNameIndex {
public:
    ChildNameIndex() = default;
    // `children[s]` lists the children of entry s in tree order.
    ChildNameIndex(std::span<const DirectoryEntry> entries, std::span<const std::vector<DirectoryEntryId>> children);

    // The child of `storage` of that name (any case) and kind. Of children with the same
    // upper-cased name and kind (a damaged directory), the first in tree order counts.
    std::optional<DirectoryEntryId> Find(DirectoryEntryId storage, std::u16string_view name, bool isStorage) const;
    // The children that Find can return, in the index's own order.
    std::span<const DirectoryEntryId> Sorted(DirectoryEntryId storage) const;
    std::u16string_view UpperName(DirectoryEntryId id) const;
    bool IsStorage(DirectoryEntryId id) const { return isStorage_[id.value] != 0; }

private:
    std::u16string_view NameOf(DirectoryEntryId id) const {  // unchecked: ids come from the index
        return {upper_.data() + nameStart_[id.value], nameStart_[id.value + 1] - nameStart_[id.value]};
    }

    std::u16string upper_;                  // every entry's upper-cased name, one after another
    std::vector<std::uint32_t> nameStart_;  // entry i's name is [nameStart_[i], nameStart_[i + 1])
    std::vector<std::uint8_t> isStorage_;
    std::vector<DirectoryEntryId> sorted_;    // each storage's children, one storage after another
    std::vector<std::uint32_t> sortedStart_;  // entry i's children are [sortedStart_[i], sortedStart_[i + 1])
};

}  // namespace ferrowick::msg::cfb
