#pragma once
// The standard folders of a mail store [MS-OXOSFLD 2.2]: Inbox, Outbox, Sent Items, Deleted
// Items, Drafts, Calendar, Contacts, Journal, Notes, Tasks and Junk E-mail inside the IPM
// subtree, each with its container class, and where the store names them: the store PC,
// the receive folder table, and the root folder and the Inbox for the others.
#include <optional>

#include "pst/messaging/pst_store.hpp"

namespace ferrowick::pst {

enum class DefaultFolder {
    Inbox,
    Outbox,
    SentItems,
    DeletedItems,
    Drafts,
    Calendar,
    Contacts,
    Journal,
    Notes,
    Tasks,
    JunkEmail
};

// Creates the missing standard folders and records all of them; folders already named by the
// store are kept. A folder of the right name that the store does not name yet is taken over.
void EnsureDefaultFolders(PstStore& store);

// The folder the store names for `which`, when it has one.
std::optional<NodeId> FindDefaultFolder(const PstStore& store, DefaultFolder which);

}  // namespace ferrowick::pst
