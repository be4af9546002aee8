// Property IDs from [MS-OXPROPS]; the subject's parts from [MS-OXCMSG 2.2.1.9, 2.2.1.10].
#include "store/outlook_message_form.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "pst/messaging/property_tags.hpp"

namespace ferrowick {
namespace {

using pst::PropertyValue;
namespace tags = pst::tags;

constexpr std::uint16_t kBodyPreview = 0x6619;  // PidTagPstBodyPrefix

constexpr char16_t kSubjectMarker = 0x0001;
constexpr std::size_t kBodyPreviewLength = 255;

const std::u16string* StringOf(const pst::PropertyBag& bag, std::uint16_t id) {
    const PropertyValue* v = bag.Find(id);
    return v && v->Type() == pst::PropertyType::String ? &v->As<std::u16string>() : nullptr;
}

bool IsLetter(char16_t c) {
    // Digits, blanks and punctuation never make a prefix; anything else that is not ASCII is
    // a letter of some script (as in "AW: " or "回复: ").
    if (c < 0x80) return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    return c > 0xBF && !(c >= 0xD800 && c <= 0xDFFF) && c != 0x3000 && c != 0xFF1A;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// A subject a .msg already holds in stored form loses its marker.
std::u16string WithoutMarker(const std::u16string& subject) {
    if (subject.size() >= 2 && subject[0] == kSubjectMarker) return subject.substr(2);
    return subject;
}

}  // namespace

std::u16string MarkedSubject(const std::u16string& prefix, const std::u16string& normalized) {
    std::u16string out;
    out.reserve(prefix.size() + normalized.size() + 2);
    out.push_back(kSubjectMarker);
    out.push_back(static_cast<char16_t>(prefix.size() + 1));
    return out + prefix + normalized;
}

std::u16string ComputedSubjectPrefix(const std::u16string& subject) {
    for (std::size_t n = 1; n <= 3 && n + 1 < subject.size(); ++n) {
        if (!IsLetter(subject[n - 1])) return {};
        if (subject[n] == u':' && subject[n + 1] == u' ') return subject.substr(0, n + 2);
    }
    return {};
}

std::u16string BodyPreview(const std::u16string& body) {
    std::size_t n = std::min(body.size(), kBodyPreviewLength);
    if (n < body.size() && n > 0 && IsHighSurrogate(body[n - 1])) --n;  // never half a character
    return body.substr(0, n);
}

namespace {

// The body's first characters, enough for its preview to be the whole body's.
std::u16string StreamedBodyStart(const mapi::ByteStream& body) {
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(body.Size(), 2 * (kBodyPreviewLength + 1))));
    body.ReadAt(0, bytes);
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

}  // namespace

void ShapeMessageProperties(pst::PropertyBag& message, const pst::StreamedValues& streamed) {
    const std::u16string* subject = StringOf(message, tags::kSubject.id);
    const std::u16string* prefix = StringOf(message, tags::kSubjectPrefix.id);
    const std::u16string* normalized = StringOf(message, tags::kNormalizedSubject.id);
    if (subject || normalized) {
        std::u16string full = subject ? WithoutMarker(*subject) : (prefix ? *prefix : u"") + *normalized;
        // The source's own prefix counts when the subject begins with it; otherwise the rule decides.
        std::u16string p = prefix && full.starts_with(*prefix) ? *prefix : ComputedSubjectPrefix(full);
        if (p.size() + 1 > 0xFFFF) p.clear();
        message.Set(tags::kSubject.id, PropertyValue::String(MarkedSubject(p, full.substr(p.size()))));
    }
    message.Remove(tags::kSubjectPrefix.id);
    message.Remove(tags::kNormalizedSubject.id);

    const auto streamedBody = streamed.find(tags::kBody.id);
    if (const std::u16string* body = StringOf(message, tags::kBody.id))
        message.Set(kBodyPreview,
                    PropertyValue::String(BodyPreview(streamedBody != streamed.end() && streamedBody->second
                                                          ? StreamedBodyStart(*streamedBody->second)
                                                          : *body)));

    // Outlook recomputes these when a message is opened and stores none of them on import.
    message.Remove(tags::kDisplayBcc.id);
    message.Remove(tags::kHasAttachments.id);
    message.Remove(tags::kRtfInSync.id);
    for (std::uint16_t id : {tags::kDisplayCc.id, tags::kDisplayTo.id})
        if (const std::u16string* s = StringOf(message, id); s && s->empty()) message.Remove(id);
}

void ShapeAttachmentProperties(pst::PropertyBag& attachment) { attachment.Remove(tags::kObjectType.id); }

}  // namespace ferrowick
