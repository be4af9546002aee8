#pragma once
// HID and HNID [MS-PST 2.3.1.1 HID, 2.3.3.2 HNID]: where a heap-on-node item lives.
// A HID names an allocation by its 0-based heap block and its 1-based index in that block's
// page map; its low five bits are the NID type HID (zero). An HNID is either a HID or the NID
// of a sub-node, told apart by those same five bits.
#include <compare>
#include <cstdint>

#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

struct HeapId {
    std::uint32_t value = 0;
    constexpr HeapId() = default;
    constexpr explicit HeapId(std::uint32_t v) : value(v) {}
    // hidIndex is 11 bits (1..2047), hidBlockIndex 16 bits.
    constexpr static HeapId Make(std::uint16_t blockIndex, std::uint16_t index) {
        return HeapId((static_cast<std::uint32_t>(blockIndex) << 16) |
                      (static_cast<std::uint32_t>(index & 0x7FF) << 5));
    }
    constexpr std::uint16_t BlockIndex() const { return static_cast<std::uint16_t>(value >> 16); }
    constexpr std::uint16_t Index() const { return static_cast<std::uint16_t>((value >> 5) & 0x7FF); }
    constexpr bool IsNull() const { return value == 0; }
    constexpr bool HasHidType() const { return (value & 0x1F) == 0; }
    constexpr auto operator<=>(const HeapId&) const = default;
};

struct HeapOrNodeId {
    std::uint32_t value = 0;
    constexpr HeapOrNodeId() = default;
    constexpr explicit HeapOrNodeId(std::uint32_t v) : value(v) {}
    constexpr HeapOrNodeId(HeapId hid) : value(hid.value) {}
    constexpr HeapOrNodeId(NodeId nid) : value(nid.Value()) {}
    constexpr bool IsNull() const { return value == 0; }
    constexpr bool IsHeapId() const { return (value & 0x1F) == 0; }
    constexpr HeapId AsHeapId() const { return HeapId(value); }
    constexpr NodeId AsNodeId() const { return NodeId(value); }
    constexpr auto operator<=>(const HeapOrNodeId&) const = default;
};

}  // namespace ferrowick::pst
