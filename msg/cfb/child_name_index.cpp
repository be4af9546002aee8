// [MS-CFB 2.6.4] Red-Black Tree: children looked up by upper-cased name.
#include "msg/cfb/child_name_index.hpp"

#include <algorithm>

#include "msg/cfb/entry_name.hpp"

namespace ferrowick::msg::cfb {
namespace {

// Lexicographic order of an upper-cased name against a name upper-cased on the fly.
int CompareUpper(std::u16string_view upper, std::u16string_view name) {
    const std::size_t n = std::min(upper.size(), name.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t y = UpperCaseForNames(name[i]);
        if (upper[i] != y) return upper[i] < y ? -1 : 1;
    }
    return upper.size() == name.size() ? 0 : (upper.size() < name.size() ? -1 : 1);
}

}  // namespace

ChildNameIndex::ChildNameIndex(std::span<const DirectoryEntry> entries,
                               std::span<const std::vector<DirectoryEntryId>> children) {
    const std::size_t n = entries.size();
    nameStart_.reserve(n + 1);
    isStorage_.reserve(n);
    std::size_t total = 0;
    for (const DirectoryEntry& e : entries) total += e.name.size();
    upper_.reserve(total);
    for (const DirectoryEntry& e : entries) {
        nameStart_.push_back(static_cast<std::uint32_t>(upper_.size()));
        for (char16_t c : e.name) upper_.push_back(UpperCaseForNames(c));
        isStorage_.push_back(e.IsStorage() ? 1 : 0);
    }
    nameStart_.push_back(static_cast<std::uint32_t>(upper_.size()));

    const auto before = [this](DirectoryEntryId a, DirectoryEntryId b) {
        const int order = UpperName(a).compare(UpperName(b));
        return order != 0 ? order < 0 : isStorage_[a.value] < isStorage_[b.value];
    };
    const auto same = [this](DirectoryEntryId a, DirectoryEntryId b) {
        return isStorage_[a.value] == isStorage_[b.value] && UpperName(a) == UpperName(b);
    };
    sortedStart_.reserve(n + 1);
    for (std::size_t s = 0; s < n; ++s) {
        sortedStart_.push_back(static_cast<std::uint32_t>(sorted_.size()));
        if (s >= children.size() || children[s].empty()) continue;
        const auto first = sorted_.insert(sorted_.end(), children[s].begin(), children[s].end());
        std::stable_sort(first, sorted_.end(), before);  // stable: the first in tree order leads
        sorted_.erase(std::unique(first, sorted_.end(), same), sorted_.end());
    }
    sortedStart_.push_back(static_cast<std::uint32_t>(sorted_.size()));
}

std::optional<DirectoryEntryId> ChildNameIndex::Find(DirectoryEntryId storage, std::u16string_view name,
                                                     bool isStorage) const {
    const std::span<const DirectoryEntryId> list = Sorted(storage);
    const auto it = std::lower_bound(list.begin(), list.end(), name, [&](DirectoryEntryId id, std::u16string_view key) {
        const int order = CompareUpper(UpperName(id), key);
        return order != 0 ? order < 0 : isStorage_[id.value] < static_cast<std::uint8_t>(isStorage);
    });
    if (it == list.end() || CompareUpper(UpperName(*it), name) != 0 || IsStorage(*it) != isStorage) return std::nullopt;
    return *it;
}

std::span<const DirectoryEntryId> ChildNameIndex::Sorted(DirectoryEntryId storage) const {
    if (static_cast<std::size_t>(storage.value) + 1 >= sortedStart_.size()) return {};
    return std::span<const DirectoryEntryId>(sorted_).subspan(
        sortedStart_[storage.value], sortedStart_[storage.value + 1] - sortedStart_[storage.value]);
}

std::u16string_view ChildNameIndex::UpperName(DirectoryEntryId id) const {
    if (static_cast<std::size_t>(id.value) + 1 >= nameStart_.size()) return {};
    return std::u16string_view(upper_).substr(nameStart_[id.value], nameStart_[id.value + 1] - nameStart_[id.value]);
}

}  // namespace ferrowick::msg::cfb
