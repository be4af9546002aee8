#pragma once
// Builds ordinary mail messages property by property, with the derived properties a reader
// expects (display lists of recipients, flags, attachment sizes). For the sample tree and
// for tests that need real .msg files.
#include <cstdint>
#include <string>
#include <vector>

#include "msg/message.hpp"

namespace ferrowick::msg {

// A UTC calendar time as a FILETIME.
std::uint64_t FileTimeFromUtc(int year, int month, int day, int hour, int minute, int second);

class MessageBuilder {
public:
    MessageBuilder();

    MessageBuilder& MessageClass(std::u16string value);
    MessageBuilder& Subject(std::u16string value);
    MessageBuilder& Body(std::u16string value);
    MessageBuilder& Html(std::string utf8Html);
    MessageBuilder& Sender(std::u16string name, std::u16string smtpAddress);
    MessageBuilder& To(std::u16string name, std::u16string smtpAddress);
    MessageBuilder& Cc(std::u16string name, std::u16string smtpAddress);
    MessageBuilder& Bcc(std::u16string name, std::u16string smtpAddress);
    // Sent and received times; creation and modification take the received time.
    MessageBuilder& Dates(std::uint64_t sent, std::uint64_t received);
    MessageBuilder& Read(bool read);
    MessageBuilder& AttachFile(std::u16string fileName, std::vector<std::uint8_t> data,
                               std::u16string mimeType = u"application/octet-stream");
    // The embedded message's named properties join this message's map; ids it uses that
    // this map gives another name are left as they are.
    MessageBuilder& AttachMessage(Message embedded, std::u16string displayName);
    // A named property under the next free id from 0x8000 on.
    MessageBuilder& Named(NamedProperty name, PropertyValue value);
    // Content of the tag type's C++ type; throws PropertyError when it does not fit.
    MessageBuilder& Property(PropertyTag tag, PropertyValue::Storage content);

    Message Build() const;

private:
    MessageBuilder& AddRecipient(std::int32_t type, std::u16string name, std::u16string smtpAddress);

    Message message_;
    bool read_ = true;
};

}  // namespace ferrowick::msg
