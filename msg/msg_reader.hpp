#pragma once
// [MS-OXMSG 2] Reads a .msg file into a Message. 8-bit strings come back as Unicode strings
// (their tags turned to PtypString / PtypMultipleString), decoded by the message's code
// page: PidTagMessageCodepage, else PidTagInternetCodepage, else Windows-1252.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "msg/cfb/compound_file.hpp"
#include "msg/code_page.hpp"
#include "msg/message.hpp"
#include "msg/msg_error.hpp"

namespace ferrowick::msg {

// Embedded messages nest at most this deep; a deeper file is refused as hostile.
inline constexpr int kMaxEmbeddingDepth = 64;

// All throw MsgError (CfbError included) for a file that is not a readable .msg.
Message ReadMessage(const std::filesystem::path& path);
Message ReadMessage(std::vector<std::uint8_t> bytes);
Message ReadMessage(const cfb::CompoundFile& file);
// The same, an attachment's content larger than `streamAbove` bytes offered as
// Attachment::data (its sector chain checked whole) instead of read, and so are other text
// and binary values of messages and attachments (bodies above all), as their `streamed`.
Message ReadMessage(const cfb::CompoundFile& file, std::uint64_t streamAbove);

// The code page 8-bit strings of a message with these properties are decoded by.
std::uint32_t CodePageOf(const PropertySet& raw, std::uint32_t inherited);

// The code pages an 8-bit string is tried with, in order: the declared one, the message code
// page, the RTF body's \ansicpg, then Windows-1252. A string goes to the first that decodes it
// cleanly: a message may declare one code page and hold text in another.
CodePages CandidateCodePages(std::uint32_t declared, const PropertySet& raw, std::optional<std::uint32_t> rtfCodePage);

}  // namespace ferrowick::msg
