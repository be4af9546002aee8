#pragma once
// A message as a .msg file holds it: its properties, its recipients and attachments (each a
// property set), an embedded message for attachments of that kind, and the names of its
// named properties. Independent of any store format.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "msg/named_property.hpp"
#include "msg/property_value.hpp"

namespace ferrowick::msg {

class PropertySet {
public:
    // Throws MsgError when the value's type is not the tag's.
    void Set(PropertyTag tag, PropertyValue value);
    // Sets the value under the tag its type gives.
    void Set(std::uint16_t id, PropertyValue value);
    void Erase(PropertyTag tag) { values_.erase(tag); }

    const PropertyValue* Find(PropertyTag tag) const;
    // The first value with this id, whatever its type.
    const std::pair<const PropertyTag, PropertyValue>* FindId(std::uint16_t id) const;
    template <typename T>
    const T* Get(PropertyTag tag) const {
        const PropertyValue* v = Find(tag);
        return v ? std::get_if<T>(v) : nullptr;
    }

    const std::map<PropertyTag, PropertyValue>& All() const { return values_; }
    std::size_t Size() const { return values_.size(); }
    bool operator==(const PropertySet&) const = default;

private:
    std::map<PropertyTag, PropertyValue> values_;
};

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
    bool operator==(const Attachment& other) const;
};

struct Message {
    PropertySet properties;
    std::vector<Recipient> recipients;
    std::vector<Attachment> attachments;
    // Names of the ids >= 0x8000 used anywhere in the message, embedded messages included.
    NamedPropertyMap namedProperties;
    bool operator==(const Message&) const = default;
};

}  // namespace ferrowick::msg
