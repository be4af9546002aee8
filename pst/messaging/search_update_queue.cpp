// SUD structure [MS-PST 2.4.8.1.1] and the basic queue node [MS-PST 2.4.8.3].
#include "pst/messaging/search_update_queue.hpp"

#include <algorithm>

namespace ferrowick::pst {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

void SearchUpdate::AppendTo(std::vector<std::uint8_t>& out) const {
    out.push_back(0);  // wFlags: none apply to additions
    out.push_back(0);
    const auto t = static_cast<std::uint16_t>(type);
    out.push_back(static_cast<std::uint8_t>(t));
    out.push_back(static_cast<std::uint8_t>(t >> 8));
    // SUD_FLD_ADD / SUD_MSG_ADD: the parent folder, the object, reserved words to 16 bytes.
    PutU32(out, parent.Value());
    PutU32(out, object.Value());
    PutU32(out, 0);
    PutU32(out, 0);
}

NodeData QueueNode(const std::vector<std::uint8_t>& bytes) {
    NodeData node;
    for (std::size_t at = 0; at < bytes.size(); at += kMaxDataBlockPayload) {
        const std::size_t n = std::min(kMaxDataBlockPayload, bytes.size() - at);
        node.pieces.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return node;
}

}  // namespace ferrowick::pst
