#include "msg/message.hpp"

#include "msg/msg_error.hpp"

namespace ferrowick::msg {

void PropertySet::Set(PropertyTag tag, PropertyValue value) {
    if (TypeOf(value) != tag.type)
        throw MsgError(ErrorKind::InvalidArgument, "value of type " + ToString(PropertyTag(0, TypeOf(value))) + " does not fit tag " + ToString(tag));
    values_[tag] = std::move(value);
}

void PropertySet::Set(std::uint16_t id, PropertyValue value) {
    const PropertyTag tag(id, TypeOf(value));
    values_[tag] = std::move(value);
}

const PropertyValue* PropertySet::Find(PropertyTag tag) const {
    const auto it = values_.find(tag);
    return it == values_.end() ? nullptr : &it->second;
}

const std::pair<const PropertyTag, PropertyValue>* PropertySet::FindId(std::uint16_t id) const {
    const auto it = values_.lower_bound(PropertyTag(id, static_cast<PropertyType>(0)));
    if (it == values_.end() || it->first.id.value != id) return nullptr;
    return &*it;
}

bool Attachment::operator==(const Attachment& other) const {
    if (!(properties == other.properties) || customStorage != other.customStorage) return false;
    if (!embedded || !other.embedded) return !embedded && !other.embedded;
    return *embedded == *other.embedded;
}

}  // namespace ferrowick::msg
