// [MS-CFB 2.3, 2.4] Reading a stream along its FAT or mini FAT chain.
#include "msg/cfb/stream_reader.hpp"

#include <algorithm>
#include <string>

#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/header.hpp"

namespace ferrowick::msg::cfb {

SectorChain::SectorChain(const SectorFile* file, const AllocationTable* table, SectorId start, std::uint64_t size)
    : file_(file),
      table_(table),
      sectorSize_(file->SectorSize()),
      available_(std::min<std::uint64_t>(file->SectorCount(), table->Size())),
      start_(start),
      size_(size) {
    if (size_ > available_ * sectorSize_)
        throw CfbError(ErrorKind::CorruptStructure,
                       "stream claims " + std::to_string(size_) + " bytes, more than the file holds");
}

SectorChain::SectorChain(const SectorChain* miniStream, const AllocationTable* miniFat, SectorId start,
                         std::uint64_t size)
    : miniStream_(miniStream),
      table_(miniFat),
      sectorSize_(Header::kMiniSectorSize),
      available_(std::min<std::uint64_t>((miniStream->Size() + Header::kMiniSectorSize - 1) / Header::kMiniSectorSize,
                                         miniFat->Size())),
      start_(start),
      size_(size) {
    if (size_ > available_ * sectorSize_)
        throw CfbError(ErrorKind::CorruptStructure,
                       "small stream claims " + std::to_string(size_) + " bytes, more than the mini stream holds");
}

SectorId SectorChain::SectorAt(std::size_t index) const {
    if (visited_.empty() && available_ > 0) {
        visited_.assign(available_, false);
        // The whole stream is usually read: its chain grows in one allocation.
        chain_.reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>((size_ + sectorSize_ - 1) / sectorSize_, available_)));
    }
    while (chain_.size() <= index) {
        const SectorId s = chain_.empty() ? start_ : table_->Next(chain_.back());
        if (s.IsEndOfChain())
            throw CfbError(ErrorKind::CorruptStructure, "sector chain ends before the stream's size is reached");
        if (!s.IsRegular() || s.value >= available_)
            throw CfbError(ErrorKind::CorruptStructure,
                           "sector chain points to sector " + std::to_string(s.value) + ", outside the file");
        if (visited_[s.value])
            throw CfbError(ErrorKind::CorruptStructure, "sector chain loops at sector " + std::to_string(s.value));
        visited_[s.value] = true;
        chain_.push_back(s);
    }
    return chain_[index];
}

void SectorChain::ReadSectorPart(SectorId sector, std::uint32_t offset, std::span<std::uint8_t> out) const {
    if (file_) {
        file_->Read(sector, offset, out);
    } else {
        miniStream_->ReadAt(static_cast<std::uint64_t>(sector.value) * sectorSize_ + offset, out);
    }
}

void SectorChain::CheckChain() const {
    if (size_ > 0) SectorAt(static_cast<std::size_t>((size_ - 1) / sectorSize_));
}

void SectorChain::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > size_ || out.size() > size_ - offset)
        throw CfbError(ErrorKind::CorruptStructure,
                       "read past the end of a stream of " + std::to_string(size_) + " bytes");
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        auto index = static_cast<std::size_t>(at / sectorSize_);
        const auto within = static_cast<std::uint32_t>(at % sectorSize_);
        const SectorId first = SectorAt(index);
        std::size_t n = std::min<std::size_t>(out.size() - done, sectorSize_ - within);
        if (file_) {
            // Sectors that follow each other in the file as in the chain are read in one go.
            std::size_t next = index + 1;
            while (n < out.size() - done && SectorAt(next).value == first.value + (next - index)) {
                n += std::min<std::size_t>(out.size() - done - n, sectorSize_);
                ++next;
            }
            file_->ReadRun(first, within, out.subspan(done, n));
        } else {
            // Mini sectors that follow one another are one read of the mini stream, not one
            // each: a small stream is read 64 bytes at a time otherwise.
            for (SectorId last = first; done + n < out.size();) {
                const SectorId next = SectorAt(index + 1);
                if (next.value != last.value + 1) break;
                ++index;
                last = next;
                n += std::min<std::size_t>(out.size() - done - n, sectorSize_);
            }
            ReadSectorPart(first, within, out.subspan(done, n));
        }
        done += n;
    }
}

std::vector<std::uint8_t> StreamReader::ReadAll(std::uint64_t limit) const {
    if (Size() > limit)
        throw CfbError(ErrorKind::LimitExceeded,
                       "stream of " + std::to_string(Size()) + " bytes exceeds the limit of " + std::to_string(limit));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Size()));
    ReadAt(0, bytes);
    return bytes;
}

}  // namespace ferrowick::msg::cfb
