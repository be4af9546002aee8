#pragma once
// [MS-CFB 2.3, 2.4, 2.6.3] A stream read lazily: its chain is followed only as far as the
// bytes asked for, one sector at a time, so opening one stream never reads the whole file.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "msg/cfb/allocation_table.hpp"
#include "msg/cfb/sector_file.hpp"

namespace ferrowick::msg::cfb {

// A chain of sectors of one size, read from the file (regular sectors) or from another chain
// (mini sectors inside the mini stream). Holds plain pointers: its owner keeps them alive.
class SectorChain {
public:
    SectorChain(const SectorFile* file, const AllocationTable* table, SectorId start, std::uint64_t size);
    SectorChain(const SectorChain* miniStream, const AllocationTable* miniFat, SectorId start, std::uint64_t size);

    std::uint64_t Size() const { return size_; }
    // Throws CfbError when the range passes the end, or the chain is damaged where it is read.
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // Follows the whole chain without reading data; throws CfbError where it is damaged.
    void CheckChain() const;

private:
    SectorId SectorAt(std::size_t index) const;
    void ReadSectorPart(SectorId sector, std::uint32_t offset, std::span<std::uint8_t> out) const;

    const SectorFile* file_ = nullptr;
    const SectorChain* miniStream_ = nullptr;
    const AllocationTable* table_;
    std::uint32_t sectorSize_;
    std::uint64_t available_;  // sectors that exist in the space the chain lives in
    SectorId start_;
    std::uint64_t size_;
    mutable std::vector<SectorId> chain_;  // the part of the chain walked so far
    mutable std::vector<bool> visited_;
};

// A stream of an open compound file; keeps the file open while it lives.
class StreamReader {
public:
    StreamReader(std::shared_ptr<const void> owner, std::unique_ptr<SectorChain> chain)
        : owner_(std::move(owner)), chain_(std::move(chain)) {}

    std::uint64_t Size() const { return chain_->Size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const { chain_->ReadAt(offset, out); }
    void CheckChain() const { chain_->CheckChain(); }
    // The whole stream; throws CfbError when it is larger than `limit` bytes.
    std::vector<std::uint8_t> ReadAll(std::uint64_t limit = UINT64_MAX) const;

private:
    std::shared_ptr<const void> owner_;
    std::unique_ptr<SectorChain> chain_;
};

}  // namespace ferrowick::msg::cfb
