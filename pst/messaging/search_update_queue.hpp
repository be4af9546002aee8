#pragma once
// Search update descriptors [MS-PST 2.4.8.1]: each change to the store's folders and
// messages is queued as a 20-byte SUD in the search management queue (NID 0x1E1), which a
// search-aware client works through to bring its search folders up to date.
#include <cstdint>
#include <vector>

#include "pst/ndb/ids.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

enum class SudType : std::uint16_t {
    MessageAdd = 0x0001,
    MessageModify = 0x0002,
    MessageDelete = 0x0003,
    MessageMove = 0x0004,
    FolderAdd = 0x0005,
    FolderModify = 0x0006,
    FolderDelete = 0x0007,
    FolderMove = 0x0008,
};

struct SearchUpdate {
    static constexpr std::size_t kSize = 20;
    SudType type = SudType::MessageAdd;
    NodeId parent;  // the folder that holds the object
    NodeId object;  // the folder or message added or changed

    void AppendTo(std::vector<std::uint8_t>& out) const;
};

// The queue's bytes as a node: a plain stream in full data blocks [MS-PST 2.4.8.3].
// `written`: the blocks (NodeData::placed) of the last write of the same queue, which has
// only grown since: its blocks that were full then are kept, not written again.
NodeData QueueNode(const std::vector<std::uint8_t>& bytes, const std::vector<BlockId>& written = {});

}  // namespace ferrowick::pst
