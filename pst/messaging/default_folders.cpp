// Special folders [MS-OXOSFLD 2.2.1-2.2.5]: container classes, the store's entry ID
// properties, the receive folder table [MS-PST 2.4.3.3] and the entry IDs on the root and
// the Inbox.
#include "pst/messaging/default_folders.hpp"

#include <array>

#include "pst/messaging/property_tags.hpp"

namespace ferrowick::pst {
namespace {

// As Outlook makes them: the four mail folders of the store carry no container class and a
// comment naming them; the others an empty comment.
struct Spec {
    DefaultFolder which;
    const char16_t* name;
    const char16_t* container_class;  // empty: none
    const char16_t* comment;
};

constexpr std::array<Spec, 11> kSpecs{{
    {DefaultFolder::DeletedItems, u"Deleted Items", u"", u"Deleted Items folder"},
    {DefaultFolder::Inbox, u"Inbox", u"", u"Inbox folder"},
    {DefaultFolder::Outbox, u"Outbox", u"", u"Outbox folder"},
    {DefaultFolder::SentItems, u"Sent Items", u"", u"Sent Items folder"},
    {DefaultFolder::Calendar, u"Calendar", u"IPF.Appointment", u""},
    {DefaultFolder::Contacts, u"Contacts", u"IPF.Contact", u""},
    {DefaultFolder::Journal, u"Journal", u"IPF.Journal", u""},
    {DefaultFolder::Notes, u"Notes", u"IPF.StickyNote", u""},
    {DefaultFolder::Tasks, u"Tasks", u"IPF.Task", u""},
    {DefaultFolder::Drafts, u"Drafts", u"IPF.Note", u""},
    {DefaultFolder::JunkEmail, u"Junk E-mail", u"IPF.Note", u""},
}};

// PidTagValidFolderMask bits [MS-PST 2.4.3.1]
constexpr std::int32_t kInboxValid = 0x02, kOutboxValid = 0x04, kSentMailValid = 0x10;
constexpr std::size_t kJunkEmailIndex = 4;  // in PidTagAdditionalRenEntryIds

// Where the store or the root folder keeps the folder's entry ID.
std::optional<PropertyTag> StoreTag(DefaultFolder which) {
    switch (which) {
        case DefaultFolder::Outbox:
            return tags::kIpmOutboxEntryId;
        case DefaultFolder::SentItems:
            return tags::kIpmSentMailEntryId;
        case DefaultFolder::DeletedItems:
            return tags::kIpmWastebasketEntryId;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyTag> RootTag(DefaultFolder which) {
    switch (which) {
        case DefaultFolder::Calendar:
            return tags::kIpmAppointmentEntryId;
        case DefaultFolder::Contacts:
            return tags::kIpmContactEntryId;
        case DefaultFolder::Journal:
            return tags::kIpmJournalEntryId;
        case DefaultFolder::Notes:
            return tags::kIpmNoteEntryId;
        case DefaultFolder::Tasks:
            return tags::kIpmTaskEntryId;
        case DefaultFolder::Drafts:
            return tags::kIpmDraftsEntryId;
        default:
            return std::nullopt;
    }
}

std::optional<NodeId> FromBinary(const PstStore& store, const PropertyValue* value) {
    return value ? store.FolderFromEntryId(value->As<PropertyValue::Bytes>()) : std::nullopt;
}

std::optional<NodeId> ChildNamed(const PstStore& store, NodeId parent, const std::u16string& name) {
    for (NodeId child : store.Subfolders(parent))
        if (store.Folder(child).DisplayName() == name) return child;
    return std::nullopt;
}

}  // namespace

std::optional<NodeId> FindDefaultFolder(const PstStore& store, DefaultFolder which) {
    if (which == DefaultFolder::Inbox) return store.ReceiveFolder(u"IPM");
    if (const auto tag = StoreTag(which)) return FromBinary(store, store.StoreProperties().Find(*tag));
    const PropertyBag& root = store.Folder(store.RootFolder()).properties;
    if (const auto tag = RootTag(which)) return FromBinary(store, root.Find(*tag));
    // Junk E-mail: the fifth entry of PidTagAdditionalRenEntryIds.
    if (const PropertyValue* ids = root.Find(tags::kAdditionalRenEntryIds)) {
        const auto& list = ids->As<std::vector<PropertyValue::Bytes>>();
        if (list.size() > kJunkEmailIndex) return store.FolderFromEntryId(list[kJunkEmailIndex]);
    }
    return std::nullopt;
}

void EnsureDefaultFolders(PstStore& store) {
    std::array<NodeId, kSpecs.size()> nid{};
    for (std::size_t i = 0; i < kSpecs.size(); ++i) {
        const Spec& spec = kSpecs[i];
        if (auto found = FindDefaultFolder(store, spec.which))
            nid[i] = *found;
        else if (auto named = ChildNamed(store, store.IpmSubtree(), spec.name))
            nid[i] = *named;
        else
            nid[i] = store.AddFolder(store.IpmSubtree(), spec.name, spec.container_class);
        const PropertyBag& properties = store.Folder(nid[i]).properties;
        if (*spec.container_class && !properties.Find(tags::kContainerClass))
            store.SetFolderProperty(nid[i], tags::kContainerClass, PropertyValue::String(spec.container_class));
        if (!properties.Find(tags::kComment))
            store.SetFolderProperty(nid[i], tags::kComment, PropertyValue::String(spec.comment));
    }
    const auto entry = [&](DefaultFolder which) {
        for (std::size_t i = 0; i < kSpecs.size(); ++i)
            if (kSpecs[i].which == which) return PropertyValue::Binary(store.EntryIdOf(nid[i]).Encode());
        return PropertyValue::Binary({});
    };
    const auto nidOf = [&](DefaultFolder which) {
        for (std::size_t i = 0; i < kSpecs.size(); ++i)
            if (kSpecs[i].which == which) return nid[i];
        return NodeId();
    };

    for (const Spec& spec : kSpecs)
        if (const auto tag = StoreTag(spec.which)) store.SetStoreProperty(*tag, entry(spec.which));
    const PropertyValue* mask = store.StoreProperties().Find(tags::kValidFolderMask);
    store.SetStoreProperty(tags::kValidFolderMask,
                           PropertyValue::Integer32((mask ? mask->As<std::int32_t>() : 0) | kInboxValid | kOutboxValid |
                                                    kSentMailValid));

    const NodeId inbox = nidOf(DefaultFolder::Inbox);
    for (const char16_t* messageClass : {u"", u"IPM", u"Report.IPM"}) store.SetReceiveFolder(messageClass, inbox);
    store.SetReceiveFolder(u"IPC", store.RootFolder());

    std::vector<PropertyValue::Bytes> additional(kJunkEmailIndex + 1);
    additional[kJunkEmailIndex] = entry(DefaultFolder::JunkEmail).As<PropertyValue::Bytes>();
    for (NodeId holder : {store.RootFolder(), inbox}) {
        for (const Spec& spec : kSpecs)
            if (const auto tag = RootTag(spec.which)) store.SetFolderProperty(holder, *tag, entry(spec.which));
        store.SetFolderProperty(holder, tags::kAdditionalRenEntryIds,
                                PropertyValue::Multiple(PropertyType::MultipleBinary, additional));
    }
}

}  // namespace ferrowick::pst
