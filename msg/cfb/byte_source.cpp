#include "msg/cfb/byte_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {
namespace {

[[noreturn]] void ThrowOutside(std::uint64_t offset, std::size_t length, std::uint64_t size) {
    throw CfbError(ErrorKind::CorruptStructure, "read of " + std::to_string(length) + " bytes at offset " + std::to_string(offset) +
                   " goes past the end of the file (" + std::to_string(size) + " bytes); truncated?");
}

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
            const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                      static_cast<off_t>(offset + done));
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

class BufferSource final : public ByteSource {
public:
    explicit BufferSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
            ThrowOutside(offset, out.size(), bytes_.size());
        if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    }

private:
    std::vector<std::uint8_t> bytes_;
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : view_(bytes) {}
    std::uint64_t Size() const override { return view_.size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > view_.size() || out.size() > view_.size() - offset) ThrowOutside(offset, out.size(), view_.size());
        if (!out.empty()) std::memcpy(out.data(), view_.data() + offset, out.size());
    }

private:
    std::span<const std::uint8_t> view_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path) {
    // The kind is checked before opening: a named pipe would block the open for ever.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw CfbError(ErrorKind::Io, "cannot open " + path.string() + ": " + std::strerror(errno));
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

std::unique_ptr<ByteSource> MemorySource(std::vector<std::uint8_t> bytes) {
    return std::make_unique<BufferSource>(std::move(bytes));
}

std::unique_ptr<ByteSource> ViewSource(std::span<const std::uint8_t> bytes) { return std::make_unique<SpanSource>(bytes); }

}  // namespace ferrowick::msg::cfb
