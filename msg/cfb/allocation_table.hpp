#pragma once
// [MS-CFB 2.3, 2.4] An allocation table: for each sector, the next sector of its chain. The
// FAT covers the file's sectors, the mini FAT the 64-byte sectors of the mini stream.
#include <cstdint>
#include <vector>

#include "msg/cfb/sector_id.hpp"

namespace ferrowick::msg::cfb {

class AllocationTable {
public:
    AllocationTable() = default;
    explicit AllocationTable(std::vector<SectorId> next) : next_(std::move(next)) {}

    std::size_t Size() const { return next_.size(); }
    // Throws CfbError when `sector` has no entry.
    SectorId Next(SectorId sector) const;
    // A whole chain, at most `limit` sectors; a loop, a reserved value or an overlong chain
    // is a CfbError. `what` names the chain in messages.
    std::vector<SectorId> Chain(SectorId start, std::size_t limit, const char* what) const;

    const std::vector<SectorId>& Entries() const { return next_; }

private:
    std::vector<SectorId> next_;
};

}  // namespace ferrowick::msg::cfb
