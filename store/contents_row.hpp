#pragma once
// What a message's row in its folder's contents table carries beyond the message's own
// properties, as Outlook fills it: the message status and the conversation ID.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pst/ltp/property_context.hpp"

namespace ferrowick {

using ConversationId = std::array<std::uint8_t, 16>;

// A tracked conversation index names its conversation by its bytes 6 to 21; otherwise the
// conversation is named by the MD5 of its upper-cased topic in UTF-16LE. None without either.
std::optional<ConversationId> ConversationIdOf(const pst::PropertyBag& message);

// PidTagMessageStatus (0) and PidTagConversationId (when there is one).
pst::PropertyBag ContentsRowExtras(const pst::PropertyBag& message);

}  // namespace ferrowick
