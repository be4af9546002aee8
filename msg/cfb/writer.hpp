#pragma once
// [MS-CFB 2] Writes a version 3 compound file (512-byte sectors) from a tree of storages and
// streams: FAT, DIFAT when the FAT outgrows the header, the mini FAT and mini stream for
// streams under 4096 bytes, and one red-black tree per storage with names in their order.
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ferrowick::msg::cfb {

class CompoundFileWriter {
public:
    using NodeId = std::size_t;
    static constexpr NodeId kRoot = 0;

    CompoundFileWriter();

    // Throw CfbError for a parent that is not a storage, a name longer than 31 characters or
    // holding one of / \ : !, or a name a sibling already has (compared as directory names).
    NodeId AddStorage(NodeId parent, std::u16string name);
    void AddStream(NodeId parent, std::u16string name, std::vector<std::uint8_t> data);

    // Whether AddStorage and AddStream take `name` (sibling clashes aside).
    static bool AcceptsName(std::u16string_view name);

    std::vector<std::uint8_t> Finish() const;
    // Throws CfbError when the file cannot be written.
    void WriteTo(const std::filesystem::path& path) const;

private:
    struct Node {
        std::u16string name;
        bool storage = false;
        std::vector<std::uint8_t> data;
        std::vector<NodeId> children;
        std::set<std::u16string> upperCaseNames;  // of the children, to refuse clashes quickly
    };
    NodeId Add(NodeId parent, std::u16string name, bool storage, std::vector<std::uint8_t> data);

    // The steps of Finish: directory entries and the mini stream, the number of sectors of
    // each part, the FAT's chains, the siblings' trees, and the bytes.
    struct Layout;
    Layout PackStreams() const;
    static void CountSectors(Layout& layout);
    void ChainSectors(Layout& layout) const;
    void LinkSiblings(Layout& layout) const;
    std::vector<std::uint8_t> WriteSectors(const Layout& layout) const;

    std::vector<Node> nodes_;
};

}  // namespace ferrowick::msg::cfb
