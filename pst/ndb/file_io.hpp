#pragma once
// Positioned reads and writes on a file descriptor, with 64-bit offsets throughout so that
// files beyond 4 GiB work. Errors become PstError.
#include <cstdint>
#include <filesystem>
#include <span>

namespace ferrowick::pst {

class RandomAccessFile {
public:
    enum class Access { Read, ReadWrite, CreateNew };
    RandomAccessFile(const std::filesystem::path& path, Access access);
    RandomAccessFile(RandomAccessFile&& other) noexcept;
    RandomAccessFile& operator=(RandomAccessFile&& other) noexcept;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;
    ~RandomAccessFile();

    std::uint64_t Size() const;
    // Reads exactly out.size() bytes; false when the file ends first.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    void Resize(std::uint64_t size);
    void Flush();  // data reaches the disk before this returns (fdatasync)

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace ferrowick::pst
