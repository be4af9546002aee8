#pragma once
// Message discovery: lists a source folder tree into the two queues. Every item that is
// not a folder goes to the message queue ("1K", "2K"... in the order found); every
// sub-folder below the start folder goes to the folder queue ("0Z", "1Z"..., numbers
// shared across scans), each folder's sub-folders together before any is descended into.
// The running count of queued files is written to lblCount1, and the window system gets a
// yield at least once per directory entry.
// A folder that cannot be listed and a link to a folder (never followed: it could lead back
// up the tree) are passed over, and each is added to `passedOver` with the reason, so that
// the run names them among what it did not convert.
#include <cstdint>
#include <string>
#include <vector>

#include "seams/conversion_report.hpp"
#include "seams/keyed_queue.hpp"
#include "seams/status_board.hpp"
#include "seams/yielder.hpp"

namespace ferrowick {

// `folder` gains a trailing separator in place when it has none. The numbers are the next
// file and folder numbers, advanced over the whole tree.
void ScanFolder(std::u16string& folder, const std::u16string& pattern, std::int32_t& nextMessageNumber,
                std::int32_t& nextFolderNumber, KeyedQueue& messageQueue, KeyedQueue& folderQueue, StatusBoard& board,
                Yielder& yielder, std::vector<NotConvertedFile>& passedOver);

// The same, for callers that only want the queues.
void ScanFolder(std::u16string& folder, const std::u16string& pattern, std::int32_t& nextMessageNumber,
                std::int32_t& nextFolderNumber, KeyedQueue& messageQueue, KeyedQueue& folderQueue, StatusBoard& board,
                Yielder& yielder);

}  // namespace ferrowick
