#pragma once
// Where a compound file's bytes come from: an open file read with positioned reads (so a
// stream costs only the sectors it touches), or bytes already in memory.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace ferrowick::msg::cfb {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `out` from `offset`; throws CfbError when the range is not wholly inside.
    virtual void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Throws CfbError: a read of `length` bytes at `offset` goes past the end of `size` bytes.
[[noreturn]] void ThrowOutside(std::uint64_t offset, std::size_t length, std::uint64_t size);

// Throws CfbError when the file cannot be opened or is not a regular file.
std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path);
// Takes over `descriptor` (a C runtime descriptor on Windows), already open for reading on a regular file of `size`
// bytes.
std::unique_ptr<ByteSource> DescriptorSource(int descriptor, std::uint64_t size);
std::unique_ptr<ByteSource> MemorySource(std::vector<std::uint8_t> bytes);
// Bytes the caller keeps, unchanged, for as long as the source is used.
std::unique_ptr<ByteSource> ViewSource(std::span<const std::uint8_t> bytes);

}  // namespace ferrowick::msg::cfb
