// [MS-PST 2.2.2.8.3.3.1 SLBLOCK, 2.2.2.8.3.3.2 SIBLOCK]
#include "pst/ndb/subnode_block.hpp"

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

std::vector<std::uint8_t> SubnodeBlock::Write() const {
    const std::size_t count = cLevel == 0 ? leaves.size() : index.size();
    std::vector<std::uint8_t> out(8 + count * (cLevel == 0 ? 24 : 16));
    out[0] = kType;
    out[1] = cLevel;
    le::StoreU16(out.data() + 2, static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        if (cLevel == 0) {
            le::StoreU64(out.data() + 8 + 24 * i, leaves[i].nid.Value());
            le::StoreU64(out.data() + 16 + 24 * i, leaves[i].data.Value());
            le::StoreU64(out.data() + 24 + 24 * i, leaves[i].subnodes.Value());
        } else {
            le::StoreU64(out.data() + 8 + 16 * i, index[i].nid.Value());
            le::StoreU64(out.data() + 16 + 16 * i, index[i].block.Value());
        }
    }
    return out;
}

std::optional<SubnodeBlock> SubnodeBlock::Read(std::span<const std::uint8_t> b, Problem* problem) {
    auto fail = [&](const char* what) {
        if (problem) *problem = Problem{"subnode-block", what};
        return std::nullopt;
    };
    if (b.size() < 8) return fail("sub-node block shorter than its 8-byte header");
    if (b[0] != kType) return fail("sub-node block whose btype is not 0x02");
    SubnodeBlock s;
    s.cLevel = b[1];
    if (s.cLevel > 1) return fail("sub-node block whose cLevel is neither 0 nor 1");
    const std::size_t count = le::LoadU16(b.data() + 2);
    const std::size_t size = s.cLevel == 0 ? 24 : 16;
    if (8 + size * count > b.size()) return fail("sub-node block whose entry count does not fit the block");
    for (std::size_t i = 0; i < count; ++i) {
        // Only the low 32 bits of a sub-node NID carry meaning.
        const NodeId nid(static_cast<std::uint32_t>(le::LoadU64(b.data() + 8 + size * i)));
        if (s.cLevel == 0)
            s.leaves.push_back(
                {nid, BlockId(le::LoadU64(b.data() + 16 + 24 * i)), BlockId(le::LoadU64(b.data() + 24 + 24 * i))});
        else
            s.index.push_back({nid, BlockId(le::LoadU64(b.data() + 16 + 16 * i))});
        const NodeId prev = i == 0 ? NodeId() : (s.cLevel == 0 ? s.leaves[i - 1].nid : s.index[i - 1].nid);
        if (i > 0 && !(prev < nid)) return fail("sub-node block whose NIDs are not in ascending order");
    }
    return s;
}

}  // namespace ferrowick::pst
