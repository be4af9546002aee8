// [MS-CFB 2.6.4] Red-Black Tree: children looked up by upper-cased name.
#include "msg/cfb/child_name_index.hpp"

#include <algorithm>
#include <cstring>

#include "msg/cfb/entry_name.hpp"

namespace ferrowick::msg::cfb {
namespace {

// Names are at most 31 code units; a query is upper-cased once into a buffer on the stack.
constexpr std::size_t kQueryBuffer = 64;

// Entry names are nearly all ASCII: those units are upper-cased here without a call.
char16_t Upper(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    return UpperCaseForNames(c);
}

// By length, then the bytes: cheap, and for ASCII names (a .msg file's are) the order a sound
// tree keeps its children in, so such a storage's list, taken in tree order, is sorted already.
int Compare(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t));
}

}  // namespace

ChildNameIndex::ChildNameIndex(std::span<const DirectoryEntry> entries,
                               std::span<const std::vector<DirectoryEntryId>> children) {
    const std::size_t n = entries.size();
    nameStart_.reserve(n + 1);
    isStorage_.reserve(n);
    std::size_t total = 0;
    for (const DirectoryEntry& e : entries) total += e.name.size();
    upper_.resize(total);
    std::size_t at = 0;
    for (const DirectoryEntry& e : entries) {
        nameStart_.push_back(static_cast<std::uint32_t>(at));
        for (char16_t c : e.name) upper_[at++] = Upper(c);
        isStorage_.push_back(e.IsStorage() ? 1 : 0);
    }
    nameStart_.push_back(static_cast<std::uint32_t>(at));

    // Ordered by length, then by the upper-cased code units' bytes, then streams before
    // storages, then tree order. Only a storage whose tree is out of that order is sorted.
    std::vector<std::uint32_t> treeOrder(n, 0);
    sortedStart_.reserve(n + 1);
    for (std::size_t s = 0; s < n; ++s) {
        sortedStart_.push_back(static_cast<std::uint32_t>(sorted_.size()));
        if (s >= children.size() || children[s].empty()) continue;
        const std::vector<DirectoryEntryId>& list = children[s];
        for (std::size_t i = 0; i < list.size(); ++i) treeOrder[list[i].value] = static_cast<std::uint32_t>(i);
        const auto first = sorted_.insert(sorted_.end(), list.begin(), list.end());
        const auto before = [&](DirectoryEntryId a, DirectoryEntryId b) {
            const int order = Compare(NameOf(a), NameOf(b));
            if (order != 0) return order < 0;
            if (isStorage_[a.value] != isStorage_[b.value]) return isStorage_[a.value] < isStorage_[b.value];
            return treeOrder[a.value] < treeOrder[b.value];
        };
        if (!std::is_sorted(first, sorted_.end(), before)) std::sort(first, sorted_.end(), before);
        sorted_.erase(std::unique(first, sorted_.end(),
                                  [&](DirectoryEntryId a, DirectoryEntryId b) {
                                      return isStorage_[a.value] == isStorage_[b.value] &&
                                             Compare(NameOf(a), NameOf(b)) == 0;
                                  }),
                      sorted_.end());
    }
    sortedStart_.push_back(static_cast<std::uint32_t>(sorted_.size()));
}

std::optional<DirectoryEntryId> ChildNameIndex::Find(DirectoryEntryId storage, std::u16string_view name,
                                                     bool isStorage) const {
    char16_t buffer[kQueryBuffer];
    std::u16string longer;
    char16_t* upper = buffer;
    if (name.size() > kQueryBuffer) {
        longer.resize(name.size());
        upper = longer.data();
    }
    for (std::size_t i = 0; i < name.size(); ++i) upper[i] = Upper(name[i]);
    const std::u16string_view key(upper, name.size());
    const std::uint8_t kind = isStorage ? 1 : 0;

    const std::span<const DirectoryEntryId> list = Sorted(storage);
    const auto it = std::lower_bound(list.begin(), list.end(), key, [&](DirectoryEntryId id, std::u16string_view k) {
        const int order = Compare(NameOf(id), k);
        return order != 0 ? order < 0 : isStorage_[id.value] < kind;
    });
    if (it == list.end() || Compare(NameOf(*it), key) != 0 || isStorage_[it->value] != kind) return std::nullopt;
    return *it;
}

std::span<const DirectoryEntryId> ChildNameIndex::Sorted(DirectoryEntryId storage) const {
    if (static_cast<std::size_t>(storage.value) + 1 >= sortedStart_.size()) return {};
    return std::span<const DirectoryEntryId>(sorted_).subspan(sortedStart_[storage.value],
                                                              sortedStart_[storage.value + 1] -
                                                                  sortedStart_[storage.value]);
}

std::u16string_view ChildNameIndex::UpperName(DirectoryEntryId id) const {
    if (static_cast<std::size_t>(id.value) + 1 >= nameStart_.size()) return {};
    return std::u16string_view(upper_).substr(nameStart_[id.value], nameStart_[id.value + 1] - nameStart_[id.value]);
}

}  // namespace ferrowick::msg::cfb
