#pragma once
// [MS-OXMSG 2] Writes a Message as a .msg file: the inverse of the reader. Strings are
// written as given (Unicode, or 8-bit for String8 values); the named-property storage
// always exists, even when empty.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "msg/message.hpp"

namespace ferrowick::msg {

// Throw MsgError for a message the reader would refuse (embedded messages nested too deep)
// or a file that cannot be written.
std::vector<std::uint8_t> WriteMessage(const Message& message);
void WriteMessageFile(const Message& message, const std::filesystem::path& path);

}  // namespace ferrowick::msg
