#pragma once
// Turns a message read from a .msg file into the content of a store message: every property
// the file carries except those the store owns, named properties re-numbered through the
// store's name-to-ID map, recipients, attachments and attached messages to any depth.
#include <optional>
#include <string>

#include "msg/message.hpp"
#include "pst/messaging/message_object.hpp"
#include "pst/messaging/name_to_id_map.hpp"

namespace ferrowick {

// The message's property sets move into the result. Named properties the file gives no name
// are left out. Throws StoreFailure for content the
// store cannot take.
pst::MessageContent ImportedContent(msg::Message&& message, pst::NameToIdMap& names);

// Reads the file; throws StoreFailure naming the file and the damage.
msg::Message ReadMsgFile(const std::u16string& path);

// The same for a file small enough to be read whole, so that the message holds all its values
// and the file is closed again; nothing (and the file left closed) for a larger one, whose
// large values are streamed from the open file when it is imported.
std::optional<msg::Message> ReadMsgFileHeldWhole(const std::u16string& path);

// Converts a message read from the file at the path; throws StoreFailure naming the file. The
// name-to-ID map learns new names only once the whole message has been converted.
pst::MessageContent ImportReadMessage(const std::u16string& path, msg::Message&& message, pst::NameToIdMap& names);

}  // namespace ferrowick
