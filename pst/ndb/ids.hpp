#pragma once
// Identifiers of the node database [MS-PST 2.2.2.1 NID, 2.2.2.2 BID, 2.2.2.3 IB].
// Each kind is a distinct type: a node ID is not a block ID is not a file offset.
#include <compare>
#include <cstdint>
#include <functional>

namespace ferrowick::pst {

// NID: 5-bit type in the low bits, 27-bit index above it [MS-PST 2.2.2.1].
enum class NidType : std::uint8_t {
    HID = 0x00, Internal = 0x01, NormalFolder = 0x02, SearchFolder = 0x03,
    NormalMessage = 0x04, Attachment = 0x05, SearchUpdateQueue = 0x06,
    SearchCriteriaObject = 0x07, AssocMessage = 0x08, ContentsTableIndex = 0x0A,
    ReceiveFolderTable = 0x0B, OutgoingQueueTable = 0x0C, HierarchyTable = 0x0D,
    ContentsTable = 0x0E, AssocContentsTable = 0x0F, SearchContentsTable = 0x10,
    AttachmentTable = 0x11, RecipientTable = 0x12, SearchTableIndex = 0x13, Ltp = 0x1F,
};

struct NodeId {
    std::uint32_t value = 0;
    constexpr NodeId() = default;
    constexpr explicit NodeId(std::uint32_t v) : value(v) {}
    constexpr static NodeId Make(NidType type, std::uint32_t index) {
        return NodeId((index << 5) | static_cast<std::uint32_t>(type));
    }
    constexpr NidType Type() const { return static_cast<NidType>(value & 0x1F); }
    constexpr std::uint32_t Index() const { return value >> 5; }
    constexpr auto operator<=>(const NodeId&) const = default;
};

// BID: the low bit is reserved, bit 1 marks an internal block (XBLOCK, XXBLOCK, SLBLOCK,
// SIBLOCK); BIDs are handed out in steps of 4 [MS-PST 2.2.2.2].
struct BlockId {
    std::uint64_t value = 0;
    constexpr BlockId() = default;
    constexpr explicit BlockId(std::uint64_t v) : value(v) {}
    constexpr bool IsInternal() const { return (value & 0x2) != 0; }
    constexpr bool IsNull() const { return value == 0; }
    // The key to look the block up by: the reserved low bit cleared.
    constexpr BlockId Lookup() const { return BlockId(value & ~std::uint64_t{1}); }
    constexpr auto operator<=>(const BlockId&) const = default;
};

// IB: an absolute byte offset in the file [MS-PST 2.2.2.3].
struct FileOffset {
    std::uint64_t value = 0;
    constexpr FileOffset() = default;
    constexpr explicit FileOffset(std::uint64_t v) : value(v) {}
    constexpr auto operator<=>(const FileOffset&) const = default;
};

}  // namespace ferrowick::pst

template <> struct std::hash<ferrowick::pst::NodeId> {
    std::size_t operator()(ferrowick::pst::NodeId id) const noexcept { return id.value; }
};
template <> struct std::hash<ferrowick::pst::BlockId> {
    std::size_t operator()(ferrowick::pst::BlockId id) const noexcept { return std::hash<std::uint64_t>{}(id.value); }
};
