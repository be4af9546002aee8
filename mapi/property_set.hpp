#pragma once
// The properties of one object (a message, a recipient, an attachment, a folder): values in
// one flat vector sorted by tag, found by binary search. One allocation for the whole set
// rather than one per property; a set read from a .msg file moves into a .pst as it is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mapi/property_tag.hpp"
#include "mapi/property_value.hpp"

namespace ferrowick::mapi {

struct Property {
    PropertyTag tag;
    PropertyValue value;
    bool operator==(const Property&) const = default;
};

class PropertySet {
public:
    using ConstIterator = std::vector<Property>::const_iterator;

    void Reserve(std::size_t count) { properties_.reserve(count); }

    // Sets the tag's value; throws PropertyError when the value's type is not the tag's.
    void Set(PropertyTag tag, PropertyValue value);
    // Content of the tag type's C++ type: Set(tags::kSubject, u"Hello"s).
    template <typename Content>
    requires std::is_constructible_v<PropertyValue::Storage, Content&&>
    void Set(PropertyTag tag, Content&& content) {
        Set(tag, PropertyValue::Of(tag.type, PropertyValue::Storage(std::forward<Content>(content))));
    }
    // The one value of this ID: replaces a value of any type the ID had.
    void Set(std::uint16_t id, PropertyValue value);

    // The value under exactly this tag.
    const PropertyValue* Find(PropertyTag tag) const;
    // The value of this ID, whatever its type (the first, should a set hold more than one).
    const PropertyValue* Find(std::uint16_t id) const;
    const Property* FindId(std::uint16_t id) const;
    template <typename T>
    const T* Get(PropertyTag tag) const {
        const PropertyValue* v = Find(tag);
        return v ? v->If<T>() : nullptr;
    }

    bool Erase(PropertyTag tag);
    // Removes every value of this ID; false when there was none.
    bool Remove(std::uint16_t id);
    // Keeps the properties `keep` accepts, in order.
    template <typename Keep>
    void RemoveUnless(Keep keep) {
        std::erase_if(properties_, [&](const Property& p) { return !keep(p); });
    }
    // Lets `edit` change each property in place (its tag and value together) or drop it by
    // returning false, then restores the order; of values left with one ID, the last in
    // tag order stays, as when they were set by ID one after another.
    template <typename Edit>
    void Rewrite(Edit edit);

    std::size_t Size() const { return properties_.size(); }
    bool Empty() const { return properties_.empty(); }
    ConstIterator begin() const { return properties_.begin(); }
    ConstIterator end() const { return properties_.end(); }
    bool operator==(const PropertySet&) const = default;

private:
    std::vector<Property>::iterator LowerBound(std::uint32_t tagValue);
    std::vector<Property>::const_iterator LowerBound(std::uint32_t tagValue) const;
    static void CheckFits(const Property& property);
    void SortByTag();
    void KeepLastOfEachId();

    std::vector<Property> properties_;
};

template <typename Edit>
void PropertySet::Rewrite(Edit edit) {
    std::erase_if(properties_, [&](Property& p) {
        if (!edit(p)) return true;
        CheckFits(p);
        return false;
    });
    SortByTag();
    KeepLastOfEachId();
}

}  // namespace ferrowick::mapi
