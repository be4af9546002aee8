#pragma once
// The allocation map of the whole file in memory [MS-PST 2.2.2.7.2 AMap]: one bit per
// 64-byte slot, set when the slot is in use; the file grows one AMap region at a time.
// First-fit allocation: blocks take 64-byte slots, pages take 512-byte aligned runs.
#include <array>
#include <cstdint>
#include <vector>

#include "pst/ndb/file_io.hpp"
#include "pst/ndb/ids.hpp"
#include "pst/ndb/map_layout.hpp"
#include "pst/ndb/page.hpp"

namespace ferrowick::pst {

class AllocationMap {
public:
    // The map of a new file: one region holding its own map pages.
    static AllocationMap ForNewFile();
    // Reads the AMap pages up to `last_amap`; throws PstError when one is damaged.
    static AllocationMap Load(const RandomAccessFile& file, FileOffset lastAmap);

    std::uint64_t Regions() const { return regions_; }
    std::uint64_t FileEnd() const { return RegionStart(regions_); }
    FileOffset LastAMap() const { return FileOffset(RegionStart(regions_ - 1)); }
    std::uint64_t FreeBytes() const { return freeSlots_ * kSlotSize; }

    // `bytes` is a multiple of 64 (blocks) or exactly one page (512-byte aligned).
    FileOffset Allocate(std::uint64_t bytes, bool page);
    void Release(FileOffset ib, std::uint64_t bytes);
    bool IsFree(FileOffset ib, std::uint64_t bytes) const;

    // Adds free regions until the file reaches at least `end`.
    void GrowTo(std::uint64_t end);

    // Test hook: allocations start at or beyond `ib` (to reach far into a sparse file quickly).
    void SetFloor(FileOffset ib);

    // Writes the map pages of every region changed since the last call.
    void WriteChangedPages(RandomAccessFile& file);
    // Writes the map pages of the regions from `first` on as a new region's are: free but
    // for the map pages themselves, whatever was placed there since. Returns their free
    // bytes. They stay changed, for the next WriteChangedPages(). (Why: growth between
    // commits, at the top of node_database.cpp.)
    std::uint64_t WriteFreshPages(RandomAccessFile& file, std::uint64_t first) const;

    // The content of a map page (trailer sealed) as it should be on disk now.
    std::array<std::uint8_t, kPageSize> PageFor(const MapPage& page) const;

private:
    void AddRegion();
    void Mark(std::uint64_t firstSlot, std::uint64_t count, bool used);
    bool Test(std::uint64_t slot) const { return (bits_[slot >> 3] >> (7 - (slot & 7))) & 1; }

    std::vector<std::uint8_t> bits_;         // slot 0 is the first 64 bytes at 0x4400; MSB first
    std::vector<bool> changed_;              // per region
    std::vector<std::uint32_t> regionFree_;  // free slots per region, to skip full regions fast
    std::uint64_t regions_ = 0;
    std::uint64_t freeSlots_ = 0;
    std::uint64_t hint_ = 0;   // no free slot lies below this one
    std::uint64_t floor_ = 0;  // test hook
};

}  // namespace ferrowick::pst
