#pragma once
// Identifiers of the node database [MS-PST 2.2.2.1 NID, 2.2.2.2 BID, 2.2.2.3 IB].
// Each kind is a distinct type: a node ID is not a block ID is not a file offset.
#include <compare>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {

// NID: 5-bit type in the low bits, 27-bit index above it [MS-PST 2.2.2.1].
enum class NidType : std::uint8_t {
    HID = 0x00,
    Internal = 0x01,
    NormalFolder = 0x02,
    SearchFolder = 0x03,
    NormalMessage = 0x04,
    Attachment = 0x05,
    SearchUpdateQueue = 0x06,
    SearchCriteriaObject = 0x07,
    AssocMessage = 0x08,
    ContentsTableIndex = 0x0A,
    ReceiveFolderTable = 0x0B,
    OutgoingQueueTable = 0x0C,
    HierarchyTable = 0x0D,
    ContentsTable = 0x0E,
    AssocContentsTable = 0x0F,
    SearchContentsTable = 0x10,
    AttachmentTable = 0x11,
    RecipientTable = 0x12,
    SearchTableIndex = 0x13,
    Ltp = 0x1F,
};

// Every 32-bit value is a well-formed NID, so the raw constructor takes any; Make refuses an
// index that does not fit in 27 bits rather than dropping its high bits.
class NodeId {
public:
    static constexpr std::uint32_t kMaxIndex = 0x07FFFFFF;

    constexpr NodeId() = default;
    constexpr explicit NodeId(std::uint32_t v) : value_(v) {}
    constexpr static NodeId Make(NidType type, std::uint32_t index) {
        if (index > kMaxIndex)
            throw PstError(ErrorKind::LimitExceeded,
                           "node index " + std::to_string(index) + " does not fit in a node ID");
        return NodeId((index << 5) | static_cast<std::uint32_t>(type));
    }
    constexpr std::uint32_t Value() const { return value_; }
    constexpr NidType Type() const { return static_cast<NidType>(value_ & 0x1F); }
    constexpr std::uint32_t Index() const { return value_ >> 5; }
    constexpr auto operator<=>(const NodeId&) const = default;

private:
    std::uint32_t value_ = 0;
};

// BID: the low bit is reserved, bit 1 marks an internal block (XBLOCK, XXBLOCK, SLBLOCK,
// SIBLOCK); BIDs are handed out in steps of 4 [MS-PST 2.2.2.2].
// Any 64-bit value read from a file is a BID; Advanced refuses to wrap around.
class BlockId {
public:
    constexpr BlockId() = default;
    constexpr explicit BlockId(std::uint64_t v) : value_(v) {}
    constexpr std::uint64_t Value() const { return value_; }
    constexpr bool IsInternal() const { return (value_ & 0x2) != 0; }
    constexpr bool IsNull() const { return value_ == 0; }
    // The key to look the block up by: the reserved low bit cleared.
    constexpr BlockId Lookup() const { return BlockId(value_ & ~std::uint64_t{1}); }
    // The ID `step` further on; the counter running out is a limit, never a wrap to zero.
    constexpr BlockId Advanced(std::uint64_t step) const {
        if (value_ > std::numeric_limits<std::uint64_t>::max() - step)
            throw PstError(ErrorKind::LimitExceeded, "the store has run out of block IDs");
        return BlockId(value_ + step);
    }
    constexpr auto operator<=>(const BlockId&) const = default;

private:
    std::uint64_t value_ = 0;
};

// IB: an absolute byte offset in the file [MS-PST 2.2.2.3]. Positioned I/O takes a signed
// 64-bit offset, so larger values are refused where they are made: the constructor throws,
// and FromFile (for bytes read from a file) calls the file damaged instead.
class FileOffset {
public:
    static constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();

    constexpr FileOffset() = default;
    constexpr explicit FileOffset(std::uint64_t v) : value_(v) {
        if (v > kMax)
            throw PstError(ErrorKind::LimitExceeded,
                           "file offset " + std::to_string(v) + " is beyond what a file can hold");
    }
    static FileOffset FromFile(std::uint64_t v) {
        if (v > kMax)
            throw PstError(ErrorKind::CorruptStructure,
                           "file offset " + std::to_string(v) + " read from the file is out of range");
        return FileOffset(v);
    }
    constexpr std::uint64_t Value() const { return value_; }
    constexpr auto operator<=>(const FileOffset&) const = default;

private:
    std::uint64_t value_ = 0;
};

}  // namespace ferrowick::pst

template <>
struct std::hash<ferrowick::pst::NodeId> {
    std::size_t operator()(ferrowick::pst::NodeId id) const noexcept { return id.Value(); }
};
template <>
struct std::hash<ferrowick::pst::BlockId> {
    std::size_t operator()(ferrowick::pst::BlockId id) const noexcept { return std::hash<std::uint64_t>{}(id.Value()); }
};
