// Entry IDs [MS-PST 2.4.3.2] and GUIDs [MS-OXCDATA 2.2.4.2].
#include "pst/messaging/entry_id.hpp"

#include <random>

namespace ferrowick::pst {

std::vector<std::uint8_t> EntryId::Encode() const {
    std::vector<std::uint8_t> out(kSize, 0);
    for (std::size_t i = 0; i < 16; ++i) out[4 + i] = provider.bytes[i];
    for (std::size_t i = 0; i < 4; ++i) out[20 + i] = static_cast<std::uint8_t>(nid.Value() >> (8 * i));
    return out;
}

std::optional<EntryId> EntryId::Decode(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kSize || bytes[0] || bytes[1] || bytes[2] || bytes[3]) return std::nullopt;
    EntryId id;
    for (std::size_t i = 0; i < 16; ++i) id.provider.bytes[i] = bytes[4 + i];
    std::uint32_t nid = 0;
    for (std::size_t i = 0; i < 4; ++i) nid |= std::uint32_t{bytes[20 + i]} << (8 * i);
    id.nid = NodeId(nid);
    return id;
}

std::u16string EntryId::Hex() const {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    for (std::uint8_t b : Encode()) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

std::optional<EntryId> EntryId::FromHex(const std::u16string& text) {
    if (text.size() != 2 * kSize) return std::nullopt;
    const auto digit = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9') return c - u'0';
        if (c >= u'A' && c <= u'F') return c - u'A' + 10;
        if (c >= u'a' && c <= u'f') return c - u'a' + 10;
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return Decode(bytes);
}

Guid NewGuid() {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    Guid g;
    for (std::size_t i = 0; i < 16; i += 8) {
        const std::uint64_t r = engine();
        for (std::size_t j = 0; j < 8; ++j) g.bytes[i + j] = static_cast<std::uint8_t>(r >> (8 * j));
    }
    g.bytes[7] = static_cast<std::uint8_t>((g.bytes[7] & 0x0F) | 0x40);  // version 4 (Data3, little-endian)
    g.bytes[8] = static_cast<std::uint8_t>((g.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return g;
}

std::vector<std::uint8_t> GuidBytes(const Guid& guid) { return {guid.bytes.begin(), guid.bytes.end()}; }

}  // namespace ferrowick::pst
