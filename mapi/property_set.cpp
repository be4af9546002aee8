// A property set as a flat vector sorted by tag.
#include "mapi/property_set.hpp"

#include "mapi/property_error.hpp"

namespace ferrowick::mapi {

std::vector<Property>::iterator PropertySet::LowerBound(std::uint32_t tagValue) {
    return std::lower_bound(properties_.begin(), properties_.end(), tagValue,
                            [](const Property& p, std::uint32_t v) { return p.tag.Value() < v; });
}

std::vector<Property>::const_iterator PropertySet::LowerBound(std::uint32_t tagValue) const {
    return std::lower_bound(properties_.begin(), properties_.end(), tagValue,
                            [](const Property& p, std::uint32_t v) { return p.tag.Value() < v; });
}

void PropertySet::CheckFits(const Property& property) {
    if (property.value.Type() != property.tag.type)
        throw PropertyError(std::string("a ") + PropertyTypeName(property.value.Type()) + " value does not fit tag " +
                            ToString(property.tag));
}

void PropertySet::Set(PropertyTag tag, PropertyValue value) {
    if (value.Type() != tag.type) CheckFits({tag, std::move(value)});
    // Sets are mostly filled in tag order: appending is the common case.
    if (properties_.empty() || properties_.back().tag < tag) {
        properties_.push_back({tag, std::move(value)});
        return;
    }
    const auto at = LowerBound(tag.Value());
    if (at != properties_.end() && at->tag == tag)
        at->value = std::move(value);
    else
        properties_.insert(at, {tag, std::move(value)});
}

void PropertySet::Set(std::uint16_t id, PropertyValue value) {
    const PropertyTag tag{id, value.Type()};
    auto first = LowerBound(std::uint32_t{id} << 16);
    auto last = first;
    while (last != properties_.end() && last->tag.id == id) ++last;
    if (first != last) {
        first->tag = tag;
        first->value = std::move(value);
        properties_.erase(first + 1, last);
        return;
    }
    properties_.insert(first, {tag, std::move(value)});
}

const PropertyValue* PropertySet::Find(PropertyTag tag) const {
    const auto at = LowerBound(tag.Value());
    return at != properties_.end() && at->tag == tag ? &at->value : nullptr;
}

const Property* PropertySet::FindId(std::uint16_t id) const {
    const auto at = LowerBound(std::uint32_t{id} << 16);
    return at != properties_.end() && at->tag.id == id ? &*at : nullptr;
}

const PropertyValue* PropertySet::Find(std::uint16_t id) const {
    const Property* p = FindId(id);
    return p ? &p->value : nullptr;
}

bool PropertySet::Erase(PropertyTag tag) {
    const auto at = LowerBound(tag.Value());
    if (at == properties_.end() || at->tag != tag) return false;
    properties_.erase(at);
    return true;
}

bool PropertySet::Remove(std::uint16_t id) {
    const auto first = LowerBound(std::uint32_t{id} << 16);
    auto last = first;
    while (last != properties_.end() && last->tag.id == id) ++last;
    properties_.erase(first, last);
    return first != last;
}

void PropertySet::SortByTag() {
    const auto byTag = [](const Property& a, const Property& b) { return a.tag < b.tag; };
    if (std::is_sorted(properties_.begin(), properties_.end(), byTag)) return;
    std::stable_sort(properties_.begin(), properties_.end(),
                     [](const Property& a, const Property& b) { return a.tag < b.tag; });
}

void PropertySet::KeepLastOfEachId() {
    // Within one ID, values are in type order: the last is the one of the highest type.
    const auto kept = std::unique(properties_.rbegin(), properties_.rend(),
                                  [](const Property& a, const Property& b) { return a.tag.id == b.tag.id; });
    properties_.erase(properties_.begin(), kept.base());
}

}  // namespace ferrowick::mapi
