// Looking up a storage's children by name: any case (the trees' own upper-casing, beyond
// ASCII), streams and storages apart, duplicates in a damaged directory, trees whose writer
// sorted them wrongly, and names that are not there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msg/cfb/directory.hpp"

namespace ferrowick::msg::cfb {
namespace {

DirectoryEntry Entry(std::u16string name, ObjectType type, std::uint32_t left = 0xFFFFFFFF,
                     std::uint32_t right = 0xFFFFFFFF, std::uint32_t child = 0xFFFFFFFF) {
    DirectoryEntry e;
    e.name = std::move(name);
    e.type = type;
    e.left = DirectoryEntryId{left};
    e.right = DirectoryEntryId{right};
    e.child = DirectoryEntryId{child};
    return e;
}

std::vector<std::uint32_t> Values(std::span<const DirectoryEntryId> ids) {
    std::vector<std::uint32_t> out;
    for (DirectoryEntryId id : ids) out.push_back(id.value);
    return out;
}

// Root's children, deliberately out of the trees' order (a writer that did not sort):
// 1 "b" (stream) with left 2 "A" (stream), right 3 "b" (storage); 3's right 4 "éa" (stream),
// whose right 5 "B" (stream, a duplicate of 1 by upper-casing). Storage 3 holds 6 "x".
Directory Sample() {
    constexpr std::uint32_t kNo = 0xFFFFFFFF;
    return Directory::FromEntries({
        Entry(u"Root Entry", ObjectType::Root, kNo, kNo, 1),
        Entry(u"b", ObjectType::Stream, 2, 3),
        Entry(u"A", ObjectType::Stream),
        Entry(u"b", ObjectType::Storage, kNo, 4, 6),
        Entry(u"\u00E9a", ObjectType::Stream, kNo, 5),
        Entry(u"B", ObjectType::Stream),
        Entry(u"x", ObjectType::Stream),
    });
}

TEST(CfbChildNameIndex, FindsNamesInAnyCaseAndKeepsStreamsAndStoragesApart) {
    const Directory d = Sample();
    const ChildNameIndex& names = d.Names();
    const DirectoryEntryId root = DirectoryEntryId::Root();
    EXPECT_EQ(names.Find(root, u"a", false), DirectoryEntryId{2});
    EXPECT_EQ(names.Find(root, u"B", false), DirectoryEntryId{1});  // the first in tree order of "b" and "B"
    EXPECT_EQ(names.Find(root, u"B", true), DirectoryEntryId{3});
    EXPECT_EQ(names.Find(root, u"\u00C9A", false), DirectoryEntryId{4});  // upper-casing beyond ASCII
    EXPECT_EQ(names.Find(root, u"a", true), std::nullopt);
    EXPECT_EQ(names.Find(root, u"x", false), std::nullopt);  // a grandchild, not a child
    EXPECT_EQ(names.Find(DirectoryEntryId{3}, u"X", false), DirectoryEntryId{6});
    EXPECT_EQ(names.Find(root, u"", false), std::nullopt);
    EXPECT_EQ(names.Find(root, u"bb", false), std::nullopt);
    EXPECT_EQ(names.Find(DirectoryEntryId{6}, u"x", false), std::nullopt);  // a stream has no children
    EXPECT_EQ(names.Find(DirectoryEntryId{99}, u"x", false), std::nullopt);
}

TEST(CfbChildNameIndex, ListsEachNameAndKindOnceShorterNamesFirst) {
    const Directory d = Sample();
    const ChildNameIndex& names = d.Names();
    EXPECT_EQ(Values(names.Sorted(DirectoryEntryId::Root())), (std::vector<std::uint32_t>{2, 1, 3, 4}));
    EXPECT_EQ(names.UpperName(DirectoryEntryId{4}), u"\u00C9A");
    EXPECT_EQ(d.Children(DirectoryEntryId::Root()).size(), 5u);  // the tree itself still lists all
}

TEST(CfbChildNameIndex, ManyChildrenAreEachFound) {
    constexpr std::uint32_t kNo = 0xFFFFFFFF;
    std::vector<DirectoryEntry> entries{Entry(u"Root Entry", ObjectType::Root, kNo, kNo, 1)};
    constexpr std::uint32_t kCount = 300;
    for (std::uint32_t i = 1; i <= kCount; ++i) {  // a degenerate tree: each the right child of the one before
        std::u16string name = u"__substg1.0_";
        for (char c : std::to_string(i * 7919)) name.push_back(static_cast<char16_t>(c));
        entries.push_back(Entry(name, ObjectType::Stream, kNo, i < kCount ? i + 1 : kNo));
    }
    const Directory d = Directory::FromEntries(entries);
    for (std::uint32_t i = 1; i <= kCount; ++i)
        ASSERT_EQ(d.Names().Find(DirectoryEntryId::Root(), entries[i].name, false), DirectoryEntryId{i}) << i;
}

}  // namespace
}  // namespace ferrowick::msg::cfb
