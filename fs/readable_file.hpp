#pragma once
// A file opened to be read, but only once it is known to be a regular file (a link to one
// counts). Named pipes, devices, sockets and folders are refused before they are opened:
// opening a pipe waits for a writer for ever, and opening a device can have effects of its
// own (on Windows, a name such as NUL or CON reaches a device: it is opened, found to be one
// and closed unread). Paths of any length work, like everywhere in this layer. Nothing here
// throws.
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrowick::fs {

class ReadableFile {
public:
    static ReadableFile Open(std::u16string_view path);

    ReadableFile(ReadableFile&& other) noexcept;
    ReadableFile& operator=(ReadableFile&& other) noexcept;
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    // A POSIX descriptor; on Windows the C runtime's descriptor over the file's handle.
    int Descriptor() const { return descriptor_; }
    std::uint64_t Size() const { return size_; }  // as it was when opened
    // Why the file is not open, as the end of a sentence about it: "is not a regular
    // file: named pipe", "could not be opened: Permission denied". Empty when open.
    const std::u16string& Problem() const { return problem_; }
    int ErrorCode() const { return error_; }  // the errno (Windows: system code) behind Problem(), 0 when open

    // Hands the descriptor over to the caller, who closes it.
    int Release();

private:
    // close() on POSIX, _close() on Windows: the platform file says which.
    static void CloseDescriptor(int descriptor);
    ReadableFile() = default;

    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    int error_ = 0;
    std::u16string problem_;
};

// What kind of item a file mode (its POSIX kind bits) names, in words: "named pipe",
// "character device"...
std::u16string_view KindOfItem(unsigned mode);

}  // namespace ferrowick::fs
