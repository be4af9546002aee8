#pragma once
// A message as a .msg file holds it: its properties, its recipients and attachments (each a
// property set), an embedded message for attachments of that kind, and the names of its
// named properties. Independent of any store format.
#include <memory>
#include <vector>

#include "mapi/byte_stream.hpp"
#include "mapi/known_properties.hpp"
#include "mapi/property_set.hpp"
#include "msg/named_property.hpp"

namespace ferrowick::msg {

using mapi::Property;
using mapi::PropertySet;
using mapi::PropertyTag;
using mapi::PropertyType;
using mapi::PropertyValue;
// The properties are named once, in the property model.
namespace tags = mapi::tags;

struct Message;

struct Recipient {
    PropertySet properties;
    bool operator==(const Recipient&) const = default;
};

struct Attachment {
    PropertySet properties;
    // For attachments of method 5 (an attached message): that message.
    std::shared_ptr<Message> embedded;
    // For other attachments that carry a storage of their own (method 6, an OLE object): that
    // storage as a compound file of its own, its root holding what the storage held.
    std::vector<std::uint8_t> customStorage;
    // Content too large to hold whole, when the reader was asked to stream it: the
    // PidTagAttachDataBinary the properties then leave out, read on demand from the file.
    std::shared_ptr<const mapi::ByteStream> data;
    // Other values too large to hold whole, when the reader was asked to stream them.
    mapi::StreamedValues streamed;
    bool operator==(const Attachment& other) const;
};

struct Message {
    PropertySet properties;
    std::vector<Recipient> recipients;
    std::vector<Attachment> attachments;
    // Names of the ids >= 0x8000 used anywhere in the message, embedded messages included.
    NamedPropertyMap namedProperties;
    // Values too large to hold whole (its bodies), when the reader was asked to stream them.
    mapi::StreamedValues streamed;
    bool operator==(const Message&) const = default;
};

}  // namespace ferrowick::msg
