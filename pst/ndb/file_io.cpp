#include "pst/ndb/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what) {
    throw PstError(std::string(what) + " " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Access access) : path_(path) {
    int flags = O_CLOEXEC;
    if (access == Access::Read) flags |= O_RDONLY;
    if (access == Access::ReadWrite) flags |= O_RDWR;
    if (access == Access::CreateNew) flags |= O_RDWR | O_CREAT | O_TRUNC;
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) Fail(path, "cannot open");
    struct stat st{};
    if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw PstError(path.string() + " is not a regular file");
    }
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::uint64_t RandomAccessFile::Size() const {
    struct stat st{};
    if (::fstat(fd_, &st) != 0) Fail(path_, "cannot stat");
    return static_cast<std::uint64_t>(st.st_size);
}

bool RandomAccessFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(path_, "cannot read");
        if (n == 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void RandomAccessFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(path_, "cannot write");
        done += static_cast<std::size_t>(n);
    }
}

void RandomAccessFile::Resize(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Fail(path_, "cannot resize");
}

void RandomAccessFile::Flush() {
    if (::fdatasync(fd_) != 0) Fail(path_, "cannot flush");
}

}  // namespace ferrowick::pst
