// [MS-CFB 2.3 Compound File FAT Sectors, 2.4 Compound File Mini FAT Sectors] Chains.
#include "msg/cfb/allocation_table.hpp"

#include <string>

#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {

SectorId AllocationTable::Next(SectorId sector) const {
    if (sector.value >= next_.size())
        throw CfbError(ErrorKind::CorruptStructure, "sector " + std::to_string(sector.value) +
                                                        " is beyond the allocation table (" +
                                                        std::to_string(next_.size()) + " entries)");
    return next_[sector.value];
}

std::vector<SectorId> AllocationTable::Chain(SectorId start, std::size_t limit, const char* what) const {
    std::vector<SectorId> chain;
    std::vector<bool> seen(next_.size(), false);
    for (SectorId s = start; !s.IsEndOfChain(); s = Next(s)) {
        if (!s.IsRegular() || s.value >= next_.size())
            throw CfbError(ErrorKind::CorruptStructure,
                           std::string(what) + " chain holds an invalid sector number " + std::to_string(s.value));
        if (seen[s.value])
            throw CfbError(ErrorKind::CorruptStructure,
                           std::string(what) + " chain loops at sector " + std::to_string(s.value));
        if (chain.size() >= limit)
            throw CfbError(ErrorKind::CorruptStructure, std::string(what) + " chain is longer than the file allows");
        seen[s.value] = true;
        chain.push_back(s);
    }
    return chain;
}

}  // namespace ferrowick::msg::cfb
