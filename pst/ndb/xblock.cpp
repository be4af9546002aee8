// [MS-PST 2.2.2.8.3.2.1 XBLOCK, 2.2.2.8.3.2.2 XXBLOCK]
#include "pst/ndb/xblock.hpp"

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

std::vector<std::uint8_t> XBlock::Write() const {
    std::vector<std::uint8_t> out(8 + 8 * children.size());
    out[0] = kType;
    out[1] = cLevel;
    le::StoreU16(out.data() + 2, static_cast<std::uint16_t>(children.size()));
    le::StoreU32(out.data() + 4, lcbTotal);
    for (std::size_t i = 0; i < children.size(); ++i) le::StoreU64(out.data() + 8 + 8 * i, children[i].Value());
    return out;
}

std::optional<XBlock> XBlock::Read(std::span<const std::uint8_t> b, Problem* problem) {
    auto fail = [&](const char* what) {
        if (problem) *problem = Problem{"xblock", what};
        return std::nullopt;
    };
    if (b.size() < 8) return fail("data tree block shorter than its 8-byte header");
    if (b[0] != kType) return fail("data tree block whose btype is not 0x01");
    XBlock x;
    x.cLevel = b[1];
    if (x.cLevel != 1 && x.cLevel != 2) return fail("data tree block whose cLevel is neither 1 nor 2");
    const std::size_t count = le::LoadU16(b.data() + 2);
    if (count == 0 || count > kMaxEntries || 8 + 8 * count > b.size())
        return fail("data tree block whose entry count does not fit the block");
    x.lcbTotal = le::LoadU32(b.data() + 4);
    x.children.reserve(count);
    for (std::size_t i = 0; i < count; ++i) x.children.emplace_back(le::LoadU64(b.data() + 8 + 8 * i));
    return x;
}

}  // namespace ferrowick::pst
