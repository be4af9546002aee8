#include "store/pst_message.hpp"

#include "fs/text.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/pst_error.hpp"
#include "store/contents_row.hpp"
#include "store/msg_import.hpp"

namespace ferrowick {

PstMessage::PstMessage(std::shared_ptr<OpenStore> store, pst::NodeId folder)
    : store_(std::move(store)), folder_(folder) {
    content_.properties.Set(pst::tags::kMessageClass.id, pst::PropertyValue::String(u"IPM.Note"));
}

// The content is replaced only once the whole file has been read and converted: a file that
// fails leaves the message as it was.
void PstMessage::Import(const std::u16string& msgPath, int) {
    pst::NameToIdMap& names = store_->Store().NamedProperties();
    pst::MessageContent imported = ImportReadMessage(msgPath, store_->ReadAhead().Take(msgPath), names);
    content_ = std::move(imported);
    changed_ = true;
}

bool PstMessage::HasAttachments() { return !content_.attachments.empty(); }

std::int32_t PstMessage::ImportedFlags() {
    const pst::PropertyValue* flags = content_.properties.Find(pst::tags::kMessageFlags);
    return flags ? flags->As<std::int32_t>() : 0;
}

void PstMessage::SetProperty(std::uint32_t tag, std::int32_t value) {
    if ((tag & 0xFFFF) != static_cast<std::uint32_t>(pst::PropertyType::Integer32))
        throw StoreFailure(u"Only 32-bit integer properties can be set this way.");
    content_.properties.Set(static_cast<std::uint16_t>(tag >> 16), pst::PropertyValue::Integer32(value));
    changed_ = true;
}

// The content goes to the store as it is, not copied; the stamps the store gives a new
// message are taken off again, so that a later save stamps afresh, as a copy would have.
pst::NodeId PstMessage::AddWithoutCopy(pst::PstStore& store) {
    std::vector<std::uint16_t> unstamped;
    for (const pst::PropertyTag tag :
         {pst::tags::kCreationTime, pst::tags::kLastModificationTime, pst::tags::kSearchKey})
        if (!content_.properties.Find(tag)) unstamped.push_back(tag.id);
    struct Unstamp {
        pst::PropertyBag& bag;
        const std::vector<std::uint16_t>& ids;
        ~Unstamp() {
            for (std::uint16_t id : ids) bag.Remove(id);
        }
    } unstamp{content_.properties, unstamped};
    return store.AddMessageFrom(folder_, content_);
}

void PstMessage::Save() {
    if (!changed_ && saved_) return;  // already saved as it is
    pst::PstStore& store = store_->Store();
    content_.row_only = ContentsRowExtras(content_.properties);
    try {
        if (saved_)
            store.ReplaceMessage(folder_, *saved_, content_);
        else
            saved_ = AddWithoutCopy(store);
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"The message could not be saved: " + FromNative(e.what()));
    }
    changed_ = false;
    store_->MessageSaved();
}

pst::MessageContent& PstMessage::Content() {
    changed_ = true;
    return content_;
}

}  // namespace ferrowick
