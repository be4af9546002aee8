// PidTagConversationId from PidTagConversationIndex and PidTagConversationTopic; property IDs
// from [MS-OXPROPS].
#include "store/contents_row.hpp"

#include <algorithm>

#include "pst/messaging/property_tags.hpp"
#include "store/md5.hpp"
#include "store/upper_case.hpp"

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

ConversationId TopicHash(const std::u16string& topic) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(topic.size() * 2);
    for (char16_t c : topic) {
        const char16_t u = SimpleUpperCase(c);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    const Md5Digest digest = Md5Of(bytes);
    ConversationId id{};
    std::copy(digest.begin(), digest.end(), id.begin());
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
