// PidTagConversationId from PidTagConversationIndex and PidTagConversationTopic; property IDs
// from [MS-OXPROPS].
#include "store/contents_row.hpp"

#include <locale.h>
#include <nettle/md5.h>
#include <wctype.h>

#include <algorithm>

#include "pst/messaging/property_tags.hpp"

namespace ferrowick {
namespace {

using pst::PropertyTag;
using pst::PropertyType;
using pst::PropertyValue;

constexpr PropertyTag kConversationIndex{0x0071, PropertyType::Binary};
constexpr PropertyTag kConversationTopic{0x0070, PropertyType::String};
constexpr PropertyTag kConversationIndexTracking{0x3016, PropertyType::Boolean};
constexpr std::uint16_t kConversationIdProperty = 0x3013;
constexpr std::uint16_t kMessageStatus = 0x0E17;

// The conversation's GUID sits after the index header's reserved byte and its time stamp.
constexpr std::size_t kIndexGuidOffset = 6;

// Upper case by Unicode's simple mapping, whatever the process's own locale.
char16_t UpperCase(char16_t c) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (c >= 0xD800 && c <= 0xDFFF) return c;  // half of a pair: left alone
    if (!utf8) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    const wint_t upper = towupper_l(static_cast<wint_t>(c), utf8);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

ConversationId TopicHash(const std::u16string& topic) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(topic.size() * 2);
    for (char16_t c : topic) {
        const char16_t u = UpperCase(c);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, bytes.size(), bytes.data());
    ConversationId id{};
    md5_digest(&ctx, id.size(), id.data());
    return id;
}

}  // namespace

std::optional<ConversationId> ConversationIdOf(const pst::PropertyBag& message) {
    const PropertyValue* tracking = message.Find(kConversationIndexTracking);
    const PropertyValue* index = message.Find(kConversationIndex);
    if (tracking && tracking->As<bool>() && index) {
        const auto& bytes = index->As<PropertyValue::Bytes>();
        if (bytes.size() >= kIndexGuidOffset + 16) {
            ConversationId id{};
            std::copy_n(bytes.begin() + kIndexGuidOffset, id.size(), id.begin());
            return id;
        }
    }
    if (const PropertyValue* topic = message.Find(kConversationTopic)) return TopicHash(topic->As<std::u16string>());
    return std::nullopt;
}

pst::PropertyBag ContentsRowExtras(const pst::PropertyBag& message) {
    pst::PropertyBag row;
    row.Set(kMessageStatus, PropertyValue::Integer32(0));
    if (const auto id = ConversationIdOf(message))
        row.Set(kConversationIdProperty, PropertyValue::Binary(PropertyValue::Bytes(id->begin(), id->end())));
    return row;
}

}  // namespace ferrowick
