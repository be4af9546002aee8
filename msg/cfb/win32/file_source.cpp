// Compound files read from an open file with positioned ReadFile calls.
#include <windows.h>
#include <io.h>

#include <string>

#include "msg/cfb/byte_source.hpp"
#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {
namespace {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

// Reads through the handle; closes the C runtime descriptor it came from, or the handle.
class HandleSource final : public ByteSource {
public:
    HandleSource(HANDLE handle, int descriptor, std::uint64_t size)
        : handle_(handle), descriptor_(descriptor), size_(size) {}
    ~HandleSource() override {
        if (descriptor_ >= 0)
            _close(descriptor_);
        else
            CloseHandle(handle_);
    }
    HandleSource(const HandleSource&) = delete;
    HandleSource& operator=(const HandleSource&) = delete;

    std::uint64_t Size() const override { return size_; }

    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > size_ || out.size() > size_ - offset) ThrowOutside(offset, out.size(), size_);
        std::size_t done = 0;
        while (done < out.size()) {
            // The offset rides in the OVERLAPPED: no shared file pointer between threads.
            const std::uint64_t at = offset + done;
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(at);
            where.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_, out.data() + done, want, &got, &where)) {
                const DWORD code = GetLastError();
                if (code == ERROR_HANDLE_EOF) ThrowOutside(offset, out.size(), size_);
                throw CfbError(ErrorKind::Io, "read failed: " + SystemMessage(code));
            }
            if (got == 0) ThrowOutside(offset, out.size(), size_);
            done += got;
        }
    }

private:
    HANDLE handle_;
    int descriptor_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path) {
    // Others may go on reading, writing or renaming it; a folder does not open at all.
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw CfbError(ErrorKind::Io, "cannot open " + path.string() + ": " + SystemMessage(GetLastError()));
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        throw CfbError(ErrorKind::Io, "not a regular file: " + path.string());
    }
    return std::make_unique<HandleSource>(handle, -1, static_cast<std::uint64_t>(size.QuadPart));
}

std::unique_ptr<ByteSource> DescriptorSource(int descriptor, std::uint64_t size) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE) {
        _close(descriptor);
        throw CfbError(ErrorKind::Io, "read failed: not an open file");
    }
    return std::make_unique<HandleSource>(handle, descriptor, size);
}

}  // namespace ferrowick::msg::cfb
