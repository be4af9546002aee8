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

NodeData QueueNode(const std::vector<std::uint8_t>& bytes, const std::vector<BlockId>& written) {
    NodeData node;
    for (std::size_t at = 0; at < bytes.size(); at += kMaxDataBlockPayload) {
        const std::size_t n = std::min(kMaxDataBlockPayload, bytes.size() - at);
        const std::size_t piece = at / kMaxDataBlockPayload;
        // Full before and full now: the same bytes, as the queue only grows.
        if (n == kMaxDataBlockPayload && piece + 1 < written.size()) {
            node.pieces.emplace_back();
            node.kept.resize(piece + 1);
            node.kept[piece] = written[piece];
            continue;
        }
        if (!node.kept.empty()) node.kept.resize(piece + 1);
        node.pieces.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    if (!node.kept.empty()) node.kept.resize(node.pieces.size());
    return node;
}

}  // namespace ferrowick::pst
