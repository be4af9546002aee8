#pragma once
// Message discovery: lists a source folder tree into the two queues. Every item that is
// not a folder goes to the message queue ("1K", "2K"... in the order found); every
// sub-folder below the start folder goes to the folder queue ("0Z", "1Z"..., numbers
// shared across scans), each folder's sub-folders together before any is descended into.
// The running count of queued files is written to lblCount1, and the window system gets a
// yield at least once per directory entry.
#include <cstdint>
#include <string>

#include "run/keyed_queue.hpp"
#include "run/status_board.hpp"
#include "run/yielder.hpp"

namespace ferrowick {

// `folder` gains a trailing separator in place when it has none. The numbers are the next
// file and folder numbers, advanced over the whole tree.
void ScanFolder(std::u16string& folder, const std::u16string& pattern, std::int32_t& nextMessageNumber,
                std::int32_t& nextFolderNumber, KeyedQueue& messageQueue, KeyedQueue& folderQueue,
                StatusBoard& board, Yielder& yielder);

}  // namespace ferrowick
