#include "msg/message_builder.hpp"

#include "msg/message.hpp"

namespace ferrowick::msg {
namespace {

constexpr std::int32_t kFlagRead = 0x01;
constexpr std::int32_t kFlagHasAttachment = 0x10;
constexpr std::int32_t kStoreUnicodeOk = 0x00040000;

std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - static_cast<int>(era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;  // days since 1970-01-01
}

}  // namespace

std::uint64_t FileTimeFromUtc(int year, int month, int day, int hour, int minute, int second) {
    constexpr std::int64_t kUnixEpochIn1601Seconds = 11644473600;
    const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>((seconds + kUnixEpochIn1601Seconds) * 10000000);
}

MessageBuilder::MessageBuilder() {
    message_.properties.Set(tags::kMessageClass, std::u16string(u"IPM.Note"));
    message_.properties.Set(tags::kInternetCodepage, std::int32_t{65001});
    message_.properties.Set(tags::kStoreSupportMask, kStoreUnicodeOk);
    message_.properties.Set(tags::kImportance, std::int32_t{1});
}

MessageBuilder& MessageBuilder::MessageClass(std::u16string value) {
    return Property(tags::kMessageClass, std::move(value));
}

MessageBuilder& MessageBuilder::Subject(std::u16string value) {
    Property(tags::kConversationTopic, value);
    return Property(tags::kSubject, std::move(value));
}

MessageBuilder& MessageBuilder::Body(std::u16string value) { return Property(tags::kBody, std::move(value)); }

MessageBuilder& MessageBuilder::Html(std::string utf8Html) {
    return Property(tags::kHtml, std::vector<std::uint8_t>(utf8Html.begin(), utf8Html.end()));
}

MessageBuilder& MessageBuilder::Sender(std::u16string name, std::u16string smtpAddress) {
    Property(tags::kSenderName, name);
    Property(tags::kSenderEmailAddress, smtpAddress);
    Property(tags::kSenderAddressType, std::u16string(u"SMTP"));
    Property(tags::kSentRepresentingName, std::move(name));
    Property(tags::kSentRepresentingEmailAddress, std::move(smtpAddress));
    return Property(tags::kSentRepresentingAddressType, std::u16string(u"SMTP"));
}

MessageBuilder& MessageBuilder::AddRecipient(std::int32_t type, std::u16string name, std::u16string smtpAddress) {
    Recipient r;
    r.properties.Set(tags::kRowid, static_cast<std::int32_t>(message_.recipients.size()));
    r.properties.Set(tags::kRecipientType, type);
    r.properties.Set(tags::kDisplayName, std::move(name));
    r.properties.Set(tags::kAddressType, std::u16string(u"SMTP"));
    r.properties.Set(tags::kEmailAddress, smtpAddress);
    r.properties.Set(tags::kSmtpAddress, std::move(smtpAddress));
    message_.recipients.push_back(std::move(r));
    return *this;
}

MessageBuilder& MessageBuilder::To(std::u16string name, std::u16string smtp) {
    return AddRecipient(tags::kTo, std::move(name), std::move(smtp));
}
MessageBuilder& MessageBuilder::Cc(std::u16string name, std::u16string smtp) {
    return AddRecipient(tags::kCc, std::move(name), std::move(smtp));
}
MessageBuilder& MessageBuilder::Bcc(std::u16string name, std::u16string smtp) {
    return AddRecipient(tags::kBcc, std::move(name), std::move(smtp));
}

MessageBuilder& MessageBuilder::Dates(std::uint64_t sent, std::uint64_t received) {
    Property(tags::kClientSubmitTime, sent);
    Property(tags::kMessageDeliveryTime, received);
    Property(tags::kCreationTime, received);
    return Property(tags::kLastModificationTime, received);
}

MessageBuilder& MessageBuilder::Read(bool read) {
    read_ = read;
    return *this;
}

MessageBuilder& MessageBuilder::AttachFile(std::u16string fileName, std::vector<std::uint8_t> data,
                                           std::u16string mimeType) {
    Attachment a;
    a.properties.Set(tags::kAttachMethod, tags::kAttachByValue);
    a.properties.Set(tags::kRenderingPosition, std::int32_t{-1});
    a.properties.Set(tags::kAttachSize, static_cast<std::int32_t>(data.size()));
    a.properties.Set(tags::kDisplayName, fileName);
    a.properties.Set(tags::kAttachFilename, fileName);
    a.properties.Set(tags::kAttachLongFilename, fileName);
    const auto dot = fileName.rfind(u'.');
    if (dot != std::u16string::npos) a.properties.Set(tags::kAttachExtension, fileName.substr(dot));
    a.properties.Set(tags::kAttachMimeTag, std::move(mimeType));
    a.properties.Set(tags::kAttachDataBinary, std::move(data));
    message_.attachments.push_back(std::move(a));
    return *this;
}

MessageBuilder& MessageBuilder::AttachMessage(Message embedded, std::u16string displayName) {
    for (const auto& [id, name] : embedded.namedProperties) message_.namedProperties.emplace(id, name);
    embedded.namedProperties.clear();
    Attachment a;
    a.properties.Set(tags::kAttachMethod, tags::kAttachEmbeddedMessage);
    a.properties.Set(tags::kRenderingPosition, std::int32_t{-1});
    a.properties.Set(tags::kDisplayName, std::move(displayName));
    a.embedded = std::make_shared<Message>(std::move(embedded));
    message_.attachments.push_back(std::move(a));
    return *this;
}

MessageBuilder& MessageBuilder::Named(NamedProperty name, PropertyValue value) {
    std::uint16_t id = PropertyTag::kFirstNamedId;
    for (const auto& [used, existing] : message_.namedProperties) {
        if (existing == name) {
            id = used;
            break;
        }
        if (used >= id) id = static_cast<std::uint16_t>(used + 1);
    }
    message_.namedProperties[id] = std::move(name);
    message_.properties.Set(id, std::move(value));
    return *this;
}

MessageBuilder& MessageBuilder::Property(PropertyTag tag, PropertyValue::Storage content) {
    message_.properties.Set(tag, PropertyValue::Of(tag.type, std::move(content)));
    return *this;
}

Message MessageBuilder::Build() const {
    Message m = message_;
    std::u16string lists[4];
    for (const Recipient& r : m.recipients) {
        const std::int32_t* type = r.properties.Get<std::int32_t>(tags::kRecipientType);
        const std::u16string* name = r.properties.Get<std::u16string>(tags::kDisplayName);
        if (!type || !name || *type < 1 || *type > 3) continue;
        std::u16string& list = lists[*type];
        if (!list.empty()) list += u"; ";
        list += *name;
    }
    m.properties.Set(tags::kDisplayTo, lists[tags::kTo]);
    m.properties.Set(tags::kDisplayCc, lists[tags::kCc]);
    m.properties.Set(tags::kDisplayBcc, lists[tags::kBcc]);
    std::int32_t flags = read_ ? kFlagRead : 0;
    if (!m.attachments.empty()) flags |= kFlagHasAttachment;
    m.properties.Set(tags::kMessageFlags, flags);
    return m;
}

}  // namespace ferrowick::msg
