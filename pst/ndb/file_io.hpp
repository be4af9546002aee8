#pragma once
// Positioned reads and writes on a file descriptor (a POSIX one, or the C runtime's over a
// Win32 handle), with 64-bit offsets throughout so that files beyond 4 GiB work. Errors
// become PstError. A file opened for writing is locked against every other writer for as
// long as it is open (a lock, or on Windows the share mode); readers take no lock. The
// implementations: posix/ and win32/. How the
// writer orders its writes and flushes: the top of node_database.cpp.
#include <cstdint>
#include <filesystem>
#include <span>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {

// Another open file (in this process or another) holds the writer's lock.
class FileInUse : public PstError {
public:
    explicit FileInUse(const std::string& what) : PstError(ErrorKind::FileInUse, what) {}
};

// A file that was to be made new is there already (or, for FillEmpty, holds something).
class FileExists : public PstError {
public:
    explicit FileExists(const std::string& what) : PstError(ErrorKind::FileExists, what) {}
};

class RandomAccessFile {
public:
    // CreateNew makes the file and refuses one that exists; FillEmpty opens an existing file
    // that must be empty (one made without a name). Neither ever empties a file.
    enum class Access { Read, ReadWrite, CreateNew, FillEmpty };
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
    void Flush();  // data reaches the disk before this returns (fdatasync, FlushFileBuffers)

    // Gives the open file a further name, which must not exist yet; from then on errors name
    // `target`. Returns 0 or the errno of the failure.
    int LinkTo(const std::filesystem::path& target);
    const std::filesystem::path& Path() const { return path_; }

private:
    void LockForWriting();
    int fd_ = -1;
    std::filesystem::path path_;
};

// True when some open file holds the writer's lock on `path`.
bool IsLockedForWriting(const std::filesystem::path& path);

// Ends the process at once, as a kill or a power cut would: nothing more is written and
// nothing is cleaned up. For the crash tests.
[[noreturn]] void EndProcessAbruptly();

}  // namespace ferrowick::pst
