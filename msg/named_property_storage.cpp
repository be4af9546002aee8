// [MS-OXMSG 2.2.3.1 Property ID to Property Name Mapping: GUID, entry and string streams]
#include "msg/named_property_storage.hpp"

#include <algorithm>
#include <cstring>

#include "bytes/little_endian.hpp"
#include "msg/property_codec.hpp"

namespace ferrowick::msg {
namespace {

constexpr std::uint16_t kMapiSetIndex = 1;
constexpr std::uint16_t kPublicStringsIndex = 2;
constexpr std::uint16_t kFirstStreamIndex = 3;  // GUID index of the GUID stream's first GUID

}  // namespace

NamedPropertyMap NamedPropertyStreams::Decode() const {
    NamedPropertyMap map;
    const std::size_t guidCount = guids.size() / 16;
    for (std::size_t at = 0; at + 8 <= entries.size(); at += 8) {
        const std::uint32_t nameOrOffset = le::LoadU32(&entries[at]);
        const std::uint16_t indexAndKind = le::LoadU16(&entries[at + 4]);
        const std::uint16_t propertyIndex = le::LoadU16(&entries[at + 6]);
        const bool isString = (indexAndKind & 1) != 0;
        const std::uint16_t guidIndex = indexAndKind >> 1;
        if (propertyIndex >= 0x8000) continue;  // id 0x8000 + index must stay a 16-bit id

        NamedProperty named;
        if (guidIndex == kMapiSetIndex) {
            named.propertySet = mapi::kPsMapi;
        } else if (guidIndex == kPublicStringsIndex) {
            named.propertySet = mapi::kPsPublicStrings;
        } else if (guidIndex >= kFirstStreamIndex &&
                   static_cast<std::size_t>(guidIndex - kFirstStreamIndex) < guidCount) {
            std::memcpy(named.propertySet.bytes.data(), &guids[(guidIndex - kFirstStreamIndex) * 16], 16);
        } else {
            continue;
        }
        if (isString) {
            if (nameOrOffset > strings.size() || strings.size() - nameOrOffset < 4) continue;
            const std::uint32_t length = le::LoadU32(&strings[nameOrOffset]);
            if (length > strings.size() - nameOrOffset - 4) continue;
            named.name = DecodeUtf16(std::span<const std::uint8_t>(strings).subspan(nameOrOffset + 4, length));
        } else {
            named.name = nameOrOffset;
        }
        map[static_cast<std::uint16_t>(PropertyTag::kFirstNamedId + propertyIndex)] = std::move(named);
    }
    return map;
}

NamedPropertyStreams NamedPropertyStreams::Encode(const NamedPropertyMap& map) {
    NamedPropertyStreams s;
    const Guid psMapi = mapi::kPsMapi, publicStrings = mapi::kPsPublicStrings;
    std::vector<Guid> listed;
    for (const auto& [id, named] : map) {
        if (id < PropertyTag::kFirstNamedId) continue;
        std::uint16_t guidIndex;
        if (named.propertySet == psMapi) {
            guidIndex = kMapiSetIndex;
        } else if (named.propertySet == publicStrings) {
            guidIndex = kPublicStringsIndex;
        } else {
            auto it = std::find(listed.begin(), listed.end(), named.propertySet);
            if (it == listed.end()) {
                listed.push_back(named.propertySet);
                s.guids.insert(s.guids.end(), named.propertySet.bytes.begin(), named.propertySet.bytes.end());
                it = listed.end() - 1;
            }
            guidIndex = static_cast<std::uint16_t>(kFirstStreamIndex + (it - listed.begin()));
        }
        std::uint32_t nameOrOffset;
        if (named.IsNumeric()) {
            nameOrOffset = std::get<std::uint32_t>(named.name);
        } else {
            nameOrOffset = static_cast<std::uint32_t>(s.strings.size());
            const std::u16string& text = std::get<std::u16string>(named.name);
            le::AppendU32(s.strings, static_cast<std::uint32_t>(text.size() * 2));
            for (char16_t c : text) le::AppendU16(s.strings, c);
            while (s.strings.size() % 4 != 0) s.strings.push_back(0);
        }
        le::AppendU32(s.entries, nameOrOffset);
        le::AppendU16(s.entries, static_cast<std::uint16_t>((guidIndex << 1) | (named.IsNumeric() ? 0 : 1)));
        le::AppendU16(s.entries, static_cast<std::uint16_t>(id - PropertyTag::kFirstNamedId));
    }
    return s;
}

}  // namespace ferrowick::msg
