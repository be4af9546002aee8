#include "pst/ndb/file_io.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what) {
    throw PstError(ErrorKind::Io, std::string(what) + " " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Access access) : path_(path) {
    int flags = O_CLOEXEC;
    if (access == Access::Read) flags |= O_RDONLY;
    if (access == Access::ReadWrite || access == Access::FillEmpty) flags |= O_RDWR;
    if (access == Access::CreateNew) flags |= O_RDWR | O_CREAT | O_EXCL;
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0 && errno == EEXIST) throw FileExists(path.string() + " already exists");
    if (fd_ < 0) Fail(path, "cannot open");
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw PstError(ErrorKind::Io, path.string() + " is not a regular file");
    }
    if (access != Access::Read) LockForWriting();
    if (access == Access::FillEmpty && Size() != 0) {
        ::close(fd_);
        fd_ = -1;
        throw FileExists(path.string() + " is not empty");
    }
}

// An open-file-description lock belongs to this open file, not to the process, so a second
// writer is refused even inside the same process; it goes when the file is closed, also
// when the process dies.
void RandomAccessFile::LockForWriting() {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    int result = ::fcntl(fd_, F_OFD_SETLK, &lock);
    if (result != 0 && errno == EINVAL) result = ::flock(fd_, LOCK_EX | LOCK_NB);  // no OFD locks here
    if (result == 0) return;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    errno = error;
    if (error == EAGAIN || error == EACCES || error == EWOULDBLOCK)
        throw FileInUse(path_.string() + " is in use by another program");
    Fail(path_, "cannot lock");
}

bool IsLockedForWriting(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool locked = false;
    if (::fcntl(fd, F_OFD_GETLK, &lock) == 0) {
        locked = lock.l_type != F_UNLCK;
    } else if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        locked = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return locked;
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
    struct stat st {};
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
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(path_, "cannot write");
        done += static_cast<std::size_t>(n);
    }
}

void RandomAccessFile::Resize(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Fail(path_, "cannot resize");
}

int RandomAccessFile::LinkTo(const std::filesystem::path& target) {
    // Through /proc the link also works for a file whose first name is already gone.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        // Without /proc, a file that has a name is linked by that name.
        if (errno != ENOENT || ::link(path_.c_str(), target.c_str()) != 0) return errno;
    }
    path_ = target;
    return 0;
}

void EndProcessAbruptly() {
    ::raise(SIGKILL);
    std::abort();  // not reached: SIGKILL cannot be caught
}

void RandomAccessFile::Flush() {
    if (::fdatasync(fd_) != 0) Fail(path_, "cannot flush");
}

}  // namespace ferrowick::pst
