#pragma once
// [MS-CFB 2.6.1] Compound File Directory Entry: 128 bytes naming one storage or stream, its
// place in its parent's red-black tree, and where its data starts.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "msg/cfb/sector_id.hpp"

namespace ferrowick::msg::cfb {

enum class ObjectType : std::uint8_t { Unallocated = 0, Storage = 1, Stream = 2, Root = 5 };
enum class NodeColor : std::uint8_t { Red = 0, Black = 1 };

struct DirectoryEntry {
    static constexpr std::size_t kSize = 128;

    std::u16string name;
    ObjectType type = ObjectType::Unallocated;
    bool knownType = true;  // false when the type byte held none of the four known values
    NodeColor color = NodeColor::Black;
    DirectoryEntryId left = DirectoryEntryId::None();
    DirectoryEntryId right = DirectoryEntryId::None();
    DirectoryEntryId child = DirectoryEntryId::None();
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t modifiedTime = 0;
    SectorId startSector = SectorId::EndOfChain();
    std::uint64_t size = 0;

    bool IsStorage() const { return type == ObjectType::Storage || type == ObjectType::Root; }
    bool IsStream() const { return type == ObjectType::Stream; }

    // Version 3 files: only the low 32 bits of the size count, as older writers left the
    // high ones uninitialised. Names longer than the field allows are cut, not refused.
    static DirectoryEntry Parse(std::span<const std::uint8_t> bytes, std::uint16_t majorVersion);
    void SerializeTo(std::span<std::uint8_t> out) const;  // kSize bytes
};

}  // namespace ferrowick::msg::cfb
