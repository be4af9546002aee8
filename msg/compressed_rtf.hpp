#pragma once
// The RTF body of a message as PidTagRtfCompressed holds it [MS-OXRTFCP 2.1.3]: a header
// (COMPSIZE, RAWSIZE, COMPTYPE, CRC), then LZFu-compressed or uncompressed ("MELA") RTF.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ferrowick::msg {

// The first `limit` bytes (at most) of the RTF, or nothing when the value is not compressed
// RTF. Never reads outside `compressed`, never throws.
std::optional<std::string> DecompressRtfStart(std::span<const std::uint8_t> compressed, std::size_t limit);

// The code page the RTF's header declares with \ansicpgN, if any.
std::optional<std::uint32_t> RtfAnsiCodePage(std::span<const std::uint8_t> compressed);

}  // namespace ferrowick::msg
