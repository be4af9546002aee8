// [MS-PST 2.2.2.7.2 AMap, 2.2.2.7.3 PMap, 2.2.2.7.5 FMap, 2.2.2.7.6 FPMap]
#include "pst/ndb/allocation_map.hpp"

#include <algorithm>
#include <bit>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

std::uint64_t SlotOf(FileOffset ib) { return (ib.Value() - kFirstAMapOffset) / kSlotSize; }

}  // namespace

AllocationMap AllocationMap::ForNewFile() {
    AllocationMap map;
    map.AddRegion();
    return map;
}

AllocationMap AllocationMap::Load(const RandomAccessFile& file, FileOffset lastAmap) {
    if (lastAmap.Value() < kFirstAMapOffset || (lastAmap.Value() - kFirstAMapOffset) % kRegionSize != 0)
        throw PstError(ErrorKind::CorruptStructure, "the header's ibAMapLast is not where an AMap page can be");
    const std::uint64_t regions = (lastAmap.Value() - kFirstAMapOffset) / kRegionSize + 1;
    if (RegionStart(regions - 1) + kPageSize > file.Size())
        throw PstError(ErrorKind::CorruptStructure, "the header's ibAMapLast lies past the end of the file");
    AllocationMap map;
    map.regions_ = regions;
    map.bits_.assign(regions * kPageDataSize, 0);
    map.changed_.assign(regions, false);
    std::array<std::uint8_t, kPageSize> page{};
    for (std::uint64_t r = 0; r < regions; ++r) {
        const FileOffset ib(RegionStart(r));
        if (!file.ReadAt(ib.Value(), page))
            throw PstError(ErrorKind::CorruptStructure, "an AMap page lies past the end of the file");
        if (auto problem = PageProblem(page, PageType::AllocationMap, BlockId(ib.Value()), ib))
            throw PstError(ErrorKind::CorruptStructure,
                           "AMap page at 0x" + std::to_string(ib.Value()) + ": " + problem->what);
        std::copy_n(page.begin(), kPageDataSize, map.bits_.begin() + r * kPageDataSize);
    }
    map.regionFree_.assign(regions, 0);
    for (std::uint64_t i = 0; i < map.bits_.size(); ++i)
        map.regionFree_[i / kPageDataSize] += 8 - std::popcount(map.bits_[i]);
    for (auto n : map.regionFree_) map.freeSlots_ += n;
    return map;
}

void AllocationMap::AddRegion() {
    const std::uint64_t region = regions_++;
    bits_.resize(regions_ * kPageDataSize, 0);
    changed_.resize(regions_, true);
    regionFree_.push_back(kSlotsPerRegion);
    freeSlots_ += kSlotsPerRegion;
    for (const MapPage& p : MapPagesOfRegion(region)) Mark(SlotOf(p.ib), kPageSize / kSlotSize, true);
}

void AllocationMap::Mark(std::uint64_t first, std::uint64_t count, bool used) {
    for (std::uint64_t s = first; s < first + count; ++s) {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (s & 7));
        std::uint8_t& byte = bits_[s >> 3];
        if (((byte & bit) != 0) == used) continue;
        byte ^= bit;
        std::uint32_t& regionFree = regionFree_[s / kSlotsPerRegion];
        if (used) {
            --freeSlots_;
            --regionFree;
        } else {
            ++freeSlots_;
            ++regionFree;
        }
        changed_[s / kSlotsPerRegion] = true;
    }
}

FileOffset AllocationMap::Allocate(std::uint64_t bytes, bool page) {
    const std::uint64_t need = (bytes + kSlotSize - 1) / kSlotSize;
    const std::uint64_t step = page ? kPageSize / kSlotSize : 1;
    std::uint64_t s = std::max(hint_, floor_);
    s = (s + step - 1) / step * step;
    bool seenFree = false;
    for (;;) {
        const std::uint64_t total = regions_ * kSlotsPerRegion;
        // Skip regions without enough free slots, then whole bytes in use.
        if (s < total && regionFree_[s / kSlotsPerRegion] < need) {
            seenFree |= regionFree_[s / kSlotsPerRegion] > 0;  // free slots skipped: keep hint_
            s = (s / kSlotsPerRegion + 1) * kSlotsPerRegion;
            continue;
        }
        while (s < total && (s & 7) == 0 && bits_[s >> 3] == 0xFF) s += 8;
        if (s + need > total) {
            AddRegion();
            continue;
        }
        if (Test(s)) {
            s += step;
            continue;
        }
        if (!seenFree && step == 1 && floor_ <= hint_) {  // every slot from hint_ was visited
            hint_ = s;
            seenFree = true;
        }
        std::uint64_t run = 1;
        while (run < need && !Test(s + run)) ++run;
        if (run == need) {
            Mark(s, need, true);
            return FileOffset(kFirstAMapOffset + s * kSlotSize);
        }
        s += (run + step - 1) / step * step;
    }
}

void AllocationMap::Release(FileOffset ib, std::uint64_t bytes) {
    const std::uint64_t first = SlotOf(ib);
    Mark(first, (bytes + kSlotSize - 1) / kSlotSize, false);
    hint_ = std::min(hint_, first);
}

bool AllocationMap::IsFree(FileOffset ib, std::uint64_t bytes) const {
    const std::uint64_t first = SlotOf(ib);
    for (std::uint64_t s = first; s < first + (bytes + kSlotSize - 1) / kSlotSize; ++s)
        if (s >= regions_ * kSlotsPerRegion || Test(s)) return false;
    return true;
}

void AllocationMap::GrowTo(std::uint64_t end) {
    while (FileEnd() < end) AddRegion();
}

void AllocationMap::SetFloor(FileOffset ib) { floor_ = ib.Value() <= kFirstAMapOffset ? 0 : SlotOf(ib); }

std::array<std::uint8_t, kPageSize> AllocationMap::PageFor(const MapPage& p) const {
    std::array<std::uint8_t, kPageSize> page{};
    const std::uint64_t region = (p.ib.Value() - kFirstAMapOffset) / kRegionSize;
    switch (p.type) {
        case PageType::AllocationMap:
            std::copy_n(bits_.begin() + region * kPageDataSize, kPageDataSize, page.begin());
            break;
        case PageType::PageMap:      // deprecated: every page shown in use, as Outlook writes it
        case PageType::FreePageMap:  // a set bit says "no free page here", so nobody looks there
            std::fill_n(page.begin(), kPageDataSize, std::uint8_t{0xFF});
            break;
        default:  // FMap: deprecated; zero claims no free run, the safe answer for old readers
            break;
    }
    SealPage(page, p.type, BlockId(p.ib.Value()), p.ib);
    return page;
}

std::uint64_t AllocationMap::WriteFreshPages(RandomAccessFile& file, std::uint64_t first) const {
    std::uint64_t freeBytes = 0;
    for (std::uint64_t r = first; r < regions_; ++r) {
        const std::vector<MapPage> pages = MapPagesOfRegion(r);
        AllocationMap fresh;  // one region whose slots are this region's
        fresh.bits_.assign(kPageDataSize, 0);
        fresh.changed_.assign(1, false);
        fresh.regionFree_.assign(1, kSlotsPerRegion);
        fresh.regions_ = 1;
        fresh.freeSlots_ = kSlotsPerRegion;
        for (const MapPage& p : pages)
            fresh.Mark((p.ib.Value() - RegionStart(r)) / kSlotSize, kPageSize / kSlotSize, true);
        freeBytes += fresh.FreeBytes();
        for (const MapPage& p : pages) {
            std::array<std::uint8_t, kPageSize> page = PageFor(p);
            if (p.type == PageType::AllocationMap) {
                std::copy(fresh.bits_.begin(), fresh.bits_.end(), page.begin());
                SealPage(page, p.type, BlockId(p.ib.Value()), p.ib);
            }
            file.WriteAt(p.ib.Value(), page);
        }
    }
    return freeBytes;
}

void AllocationMap::WriteChangedPages(RandomAccessFile& file) {
    for (std::uint64_t r = 0; r < regions_; ++r) {
        if (!changed_[r]) continue;
        for (const MapPage& p : MapPagesOfRegion(r)) file.WriteAt(p.ib.Value(), PageFor(p));
        changed_[r] = false;
    }
}

}  // namespace ferrowick::pst
