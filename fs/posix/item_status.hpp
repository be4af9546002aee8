#pragma once
// What the layer learns about one item from the file system, and how that becomes the
// attribute word:
//   0x10  folder;
//   0x400 symbolic link (the link itself is looked at, never followed), plus 0x10 when it
//         leads to a folder, as a Windows folder link reports;
//   0x01  read-only: the owner has no write permission (the mode bits, not a check of the
//         calling user, so the answer does not change when run as root);
//   0x02  hidden: the name starts with "." (but is not "." or "..");
//   0x04  system: a device, pipe or socket;
//   0x80  normal, when none of the above applies.
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "fs/file_entry.hpp"

namespace ferrowick::fs {

struct ItemStatus {
    std::uint32_t Attributes = 0;
    std::uint64_t Size = 0;
    std::uint64_t Created = 0;  // birth time where the file system keeps one, else change time
    std::uint64_t LastAccessed = 0;
    std::uint64_t LastWritten = 0;
};

// The item `name` (a path relative to `folder`, or absolute) without following a final
// symbolic link; the errno on failure. `leaf` is the item's own name, for the hidden bit.
// With `withDetails` false only the attribute word is filled.
std::optional<ItemStatus> ReadItemStatus(int folder, const char* name, std::u16string_view leaf, bool withDetails,
                                         int& error);

}  // namespace ferrowick::fs
