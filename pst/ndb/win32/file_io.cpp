// The store file on Win32 handles.
#include "pst/ndb/file_io.hpp"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

// The largest transfer one ReadFile or WriteFile takes.
constexpr std::size_t kLargestTransfer = 1u << 30;

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<char*>(&text), 0,
                       nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(error) : message;
}

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, DWORD error = ::GetLastError()) {
    throw PstError(ErrorKind::Io, std::string(what) + " " + Utf8(path) + ": " + SystemMessage(error));
}

// The path as the wide calls take it. Short paths go as they are, so that the system's own
// rules apply (a device name such as NUL stays the device, and is refused as no regular
// file); a longer one is made absolute and put in the extended-length form, which lifts
// the 260-character limit.
std::wstring SystemPath(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    if (text.size() < MAX_PATH - 12 || text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) return text;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return text;
    text = absolute.lexically_normal().make_preferred().wstring();
    if (text.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + text.substr(2);
    return L"\\\\?\\" + text;
}

bool IsInUse(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

bool IsExisting(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// A system error as the errno the callers of LinkTo test.
int AsErrno(DWORD error) {
    if (IsExisting(error)) return EEXIST;
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return EIO;
    }
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

}  // namespace

// The single-writer rule by share mode: a writer lets others read, never write, so a second
// writer (in this process or another) is refused by the system, and the refusal ends with
// the writer's handle, also when its process dies. A reader lets anyone write, so a writer
// may come while it reads. Writers also let others delete or rename the file, which giving
// a new file its name needs (as on POSIX, where nothing stops that either).
RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Access access) : path_(path) {
    const bool writing = access != Access::Read;
    const DWORD desired = writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD share =
        writing ? FILE_SHARE_READ | FILE_SHARE_DELETE : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD disposition = access == Access::CreateNew ? CREATE_NEW : OPEN_EXISTING;
    const HANDLE handle =
        CreateFileW(SystemPath(path).c_str(), desired, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (IsExisting(error)) throw FileExists(Utf8(path) + " already exists");
        if (IsInUse(error)) throw FileInUse(Utf8(path) + " is in use by another program");
        Fail(path, "cannot open", error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        throw PstError(ErrorKind::Io, Utf8(path) + " is not a regular file");
    }
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), writing ? _O_RDWR | _O_BINARY : _O_RDONLY | _O_BINARY);
    if (fd_ < 0) {
        CloseHandle(handle);
        Fail(path, "cannot open", ERROR_TOO_MANY_OPEN_FILES);
    }
    if (access == Access::FillEmpty && Size() != 0) {
        ::_close(fd_);
        fd_ = -1;
        throw FileExists(Utf8(path) + " is not empty");
    }
}

// The share mode holds the lock from opening on: nothing further to take.
void RandomAccessFile::LockForWriting() {}

bool IsLockedForWriting(const std::filesystem::path& path) {
    // Refusing to share writing fails exactly when some open handle writes.
    const HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return IsInUse(::GetLastError());
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::_close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::_close(fd_);
}

std::uint64_t RandomAccessFile::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(HandleOf(fd_), &size)) Fail(path_, "cannot stat");
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool RandomAccessFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        OVERLAPPED where = At(offset + done);
        const DWORD wanted = static_cast<DWORD>(std::min(out.size() - done, kLargestTransfer));
        DWORD got = 0;
        if (!ReadFile(HandleOf(fd_), out.data() + done, wanted, &got, &where)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) return false;
            Fail(path_, "cannot read", error);
        }
        if (got == 0) return false;
        done += got;
    }
    return true;
}

void RandomAccessFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED where = At(offset + done);
        const DWORD wanted = static_cast<DWORD>(std::min(bytes.size() - done, kLargestTransfer));
        DWORD put = 0;
        if (!WriteFile(HandleOf(fd_), bytes.data() + done, wanted, &put, &where)) Fail(path_, "cannot write");
        if (put == 0) Fail(path_, "cannot write", ERROR_DISK_FULL);
        done += put;
    }
}

void RandomAccessFile::Resize(std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(HandleOf(fd_), FileEndOfFileInfo, &end, sizeof end)) Fail(path_, "cannot resize");
}

// The open file moves to its new name, which fails when that name exists: without the
// replace flag nothing is ever replaced. Where a file system cannot move an open file, a
// hard link gives the further name instead (the temporary one is then removed by the
// caller).
int RandomAccessFile::LinkTo(const std::filesystem::path& target) {
    const std::wstring from = SystemPath(path_), to = SystemPath(target);
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (IsExisting(error) || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION &&
                                  error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION))
            return AsErrno(error);
        if (!CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return AsErrno(::GetLastError());
    }
    path_ = target;
    return 0;
}

void RandomAccessFile::Flush() {
    if (!FlushFileBuffers(HandleOf(fd_))) Fail(path_, "cannot flush");
}

void EndProcessAbruptly() {
    TerminateProcess(GetCurrentProcess(), 137);
    std::abort();  // not reached: a process does not outlive its termination
}

}  // namespace ferrowick::pst
