// Compound files read from an open file with pread.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "msg/cfb/byte_source.hpp"
#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {
namespace {

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }

    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > size_ || out.size() > size_ - offset) ThrowOutside(offset, out.size(), size_);
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw CfbError(ErrorKind::Io, std::string("read failed: ") + std::strerror(errno));
            if (n == 0) ThrowOutside(offset, out.size(), size_);
            done += static_cast<std::size_t>(n);
        }
    }

private:
    int fd_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path) {
    // The kind is checked before opening: a named pipe would block the open for ever.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw CfbError(ErrorKind::Io, "cannot open " + path.string() + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw CfbError(ErrorKind::Io, "not a regular file: " + path.string());
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw CfbError(ErrorKind::Io, "cannot open " + path.string() + ": " + std::strerror(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw CfbError(ErrorKind::Io, "not a regular file: " + path.string());
    }
    return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<ByteSource> DescriptorSource(int descriptor, std::uint64_t size) {
    return std::make_unique<FileSource>(descriptor, size);
}

}  // namespace ferrowick::msg::cfb
