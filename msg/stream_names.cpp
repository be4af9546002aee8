// [MS-OXMSG 2.1.3, 2.1.4.2, 2.2.1, 2.2.2] Storage and stream names.
#include "msg/stream_names.hpp"

#include <algorithm>

namespace ferrowick::msg::names {
namespace {

bool ParseHex8(std::u16string_view text, std::uint32_t& value) {
    if (text.size() != 8) return false;
    value = 0;
    for (char16_t c : text) {
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else
            return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}

bool StartsWithIgnoringCase(std::u16string_view name, std::u16string_view prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char16_t a = name[i], b = prefix[i];
        if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
        if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
        if (a != b) return false;
    }
    return true;
}

void WriteHex8(std::uint32_t value, char16_t* out) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int i = 7; i >= 0; --i, value >>= 4) out[i] = kDigits[value & 0xF];
}

}  // namespace

std::u16string Hex8(std::uint32_t value) {
    std::u16string out(8, u'0');
    WriteHex8(value, out.data());
    return out;
}

// Looked up for every property of every message read: built in one allocation.
std::u16string ValueStream(PropertyTag tag) {
    std::u16string out(kValuePrefix.size() + 8, u'0');
    std::copy(kValuePrefix.begin(), kValuePrefix.end(), out.begin());
    WriteHex8(tag.Value(), out.data() + kValuePrefix.size());
    return out;
}

std::u16string ElementStream(PropertyTag tag, std::uint32_t index) { return ValueStream(tag) + u"-" + Hex8(index); }

std::u16string RecipientStorage(std::uint32_t index) { return std::u16string(kRecipientPrefix) + Hex8(index); }
std::u16string AttachmentStorage(std::uint32_t index) { return std::u16string(kAttachmentPrefix) + Hex8(index); }

bool ParseIndexedName(std::u16string_view name, std::u16string_view prefix, std::uint32_t& index) {
    return StartsWithIgnoringCase(name, prefix) && ParseHex8(name.substr(prefix.size()), index);
}

bool ParseValueStreamName(std::u16string_view name, PropertyTag& tag) {
    std::uint32_t value = 0;
    if (!StartsWithIgnoringCase(name, kValuePrefix) || !ParseHex8(name.substr(kValuePrefix.size()), value))
        return false;
    tag = PropertyTag::FromRawValue(value);
    return true;
}

}  // namespace ferrowick::msg::names
