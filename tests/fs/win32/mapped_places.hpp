#pragma once
// A drive letter and a UNC share of the tests' own, for the cases of drive roots and
// server paths. Under Wine both are folders in the prefix's dosdevices ("q:" for a drive,
// "unc/SERVER/SHARE" for a share), which Wine resolves like any other; on Windows the drive
// is a DefineDosDevice mapping and the share is the drive's administrative share on
// localhost.
#include <windows.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace ferrowick::testing {

// The prefix's dosdevices folder as a Windows path, or empty when not under Wine.
inline std::filesystem::path WineDosDevices() {
    if (GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") == nullptr) return {};
    wchar_t prefix[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    std::wstring unix;
    if (length != 0 && length < MAX_PATH) {
        unix.assign(prefix, length);
    } else {
        wchar_t home[MAX_PATH];
        const DWORD homeLength = GetEnvironmentVariableW(L"HOME", home, MAX_PATH);
        if (homeLength == 0 || homeLength >= MAX_PATH) return {};
        unix = std::wstring(home, homeLength) + L"/.wine";
    }
    for (wchar_t& c : unix)
        if (c == L'/') c = L'\\';
    return std::filesystem::path(L"Z:" + unix) / L"dosdevices";
}

inline std::wstring RandomDigits() {
    static std::mt19937 engine{std::random_device{}()};
    return std::to_wstring(engine() % 1000000);
}

// A drive letter that leads to a fresh, empty folder; gone again at the end.
class MappedDrive {
public:
    MappedDrive() {
        const DWORD used = GetLogicalDrives();
        for (wchar_t letter = L'Y'; letter >= L'M' && letter_ == 0; --letter)
            if ((used & (1u << (letter - L'A'))) == 0) letter_ = letter;
        if (letter_ == 0) throw std::runtime_error("no free drive letter");
        const std::filesystem::path dosDevices = WineDosDevices();
        if (!dosDevices.empty()) {
            // Joined as text: appending "q:" as a path would take it for a drive of its own.
            folder_ = dosDevices.wstring() + L"\\" + std::wstring(1, static_cast<wchar_t>(letter_ | 0x20)) + L":";
            std::filesystem::create_directory(folder_);
        } else {
            folder_ = std::filesystem::temp_directory_path() / (L"ferrowick-drive-" + RandomDigits());
            std::filesystem::create_directory(folder_);
            if (!DefineDosDeviceW(0, Name().c_str(), folder_.c_str()))
                throw std::runtime_error("DefineDosDevice failed");
        }
    }
    ~MappedDrive() {
        if (WineDosDevices().empty()) DefineDosDeviceW(DDD_REMOVE_DEFINITION, Name().c_str(), nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    std::wstring Name() const { return std::wstring(1, letter_) + L":"; }  // "Q:"
    std::u16string Root() const { return std::u16string(1, static_cast<char16_t>(letter_)) + u":\\"; }

private:
    wchar_t letter_ = 0;
    std::filesystem::path folder_;
};

// A share reached as \\SERVER\SHARE, leading to a fresh, empty folder; gone again at the end.
class UncShare {
public:
    UncShare() {
        const std::filesystem::path dosDevices = WineDosDevices();
        if (!dosDevices.empty()) {
            const std::wstring server = L"ferrowick-" + RandomDigits();
            serverFolder_ = dosDevices / L"unc" / server;
            std::filesystem::create_directories(serverFolder_ / L"share");
            path_ = u"\\\\" + std::u16string(server.begin(), server.end()) + u"\\share";
        } else {
            serverFolder_ = std::filesystem::temp_directory_path() / (L"ferrowick-share-" + RandomDigits());
            std::filesystem::create_directory(serverFolder_);
            const std::wstring local = serverFolder_.wstring();  // "C:\...": C$ on localhost
            path_ = u"\\\\localhost\\" + std::u16string(1, static_cast<char16_t>(local[0])) + u"$" +
                    std::u16string(local.begin() + 2, local.end());
        }
    }
    ~UncShare() {
        std::error_code ignored;
        std::filesystem::remove_all(serverFolder_, ignored);
    }
    UncShare(const UncShare&) = delete;
    UncShare& operator=(const UncShare&) = delete;

    const std::u16string& Path() const { return path_; }  // "\\server\share", no trailing separator

private:
    std::filesystem::path serverFolder_;
    std::u16string path_;
};

}  // namespace ferrowick::testing
