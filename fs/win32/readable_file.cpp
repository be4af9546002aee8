#include "fs/readable_file.hpp"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <utility>

#include "fs/file_entry.hpp"
#include "fs/text.hpp"
#include "fs/win32/system_names.hpp"

namespace ferrowick::fs {
namespace {

// The POSIX kind bits, which KindOfItem names on every platform.
constexpr unsigned kKindMask = 0170000;
constexpr unsigned kNamedPipe = 0010000;
constexpr unsigned kCharacterDevice = 0020000;
constexpr unsigned kFolder = 0040000;
constexpr unsigned kRegularFile = 0100000;

std::u16string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    if (length != 0 && text != nullptr) message = win32::FromWide(std::wstring_view(text, length));
    if (text != nullptr) LocalFree(text);
    while (!message.empty() &&
           (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ' || message.back() == u'.'))
        message.pop_back();
    if (message.empty()) message = u"system error " + DecimalText(error);
    return message;
}

std::u16string NotOpened(DWORD error) { return u"could not be opened: " + SystemMessage(error); }

std::u16string NotRegular(unsigned mode) { return u"is not a regular file: " + std::u16string(KindOfItem(mode)); }

// The kind of an open handle: a disk file, a character device (NUL, CON, COM1...) or a pipe.
unsigned KindOfHandle(HANDLE handle) {
    switch (GetFileType(handle)) {
        case FILE_TYPE_DISK:
            return kRegularFile;
        case FILE_TYPE_CHAR:
            return kCharacterDevice;
        case FILE_TYPE_PIPE:
            return kNamedPipe;
        default:
            return 0;
    }
}

}  // namespace

std::u16string_view KindOfItem(unsigned mode) {
    switch (mode & kKindMask) {
        case 0100000:
            return u"regular file";
        case 0040000:
            return u"folder";
        case 0010000:
            return u"named pipe";
        case 0020000:
            return u"character device";
        case 0060000:
            return u"block device";
        case 0140000:
            return u"socket";
        case 0120000:
            return u"symbolic link";
        default:
            return u"unknown kind of item";
    }
}

ReadableFile ReadableFile::Open(std::u16string_view path) {
    ReadableFile file;
    const std::wstring wide = win32::WidePath(path);
    // Folders first: they cannot be opened as files at all.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        file.error_ = ERROR_DIRECTORY;
        file.problem_ = NotRegular(kFolder);
        return file;
    }
    // Others may read and write it meanwhile, as with any file that is only read; a device
    // opened here is closed again unread, and opening one does not wait.
    const HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        file.error_ = static_cast<int>(::GetLastError());
        file.problem_ = NotOpened(static_cast<DWORD>(file.error_));
        return file;
    }
    const unsigned kind = KindOfHandle(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (kind != kRegularFile) {
        file.error_ = ERROR_BAD_FILE_TYPE;
        file.problem_ = NotRegular(kind);
    } else if (!GetFileInformationByHandle(handle, &info)) {
        file.error_ = static_cast<int>(::GetLastError());
        file.problem_ = NotOpened(static_cast<DWORD>(file.error_));
    }
    if (file.error_ != 0) {
        CloseHandle(handle);
        return file;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        file.error_ = ERROR_TOO_MANY_OPEN_FILES;
        file.problem_ = NotOpened(ERROR_TOO_MANY_OPEN_FILES);
        CloseHandle(handle);
        return file;
    }
    file.descriptor_ = descriptor;
    file.size_ = ToUInt64(info.nFileSizeLow, info.nFileSizeHigh);
    return file;
}

void ReadableFile::CloseDescriptor(int descriptor) { _close(descriptor); }

}  // namespace ferrowick::fs
