// The layer on Windows: what the file system says of an item (attributes, letter case),
// drive roots, UNC paths, paths beyond 260 characters, devices and the system's error codes.
#include <windows.h>
#include <gtest/gtest.h>
#include <io.h>
#include <winioctl.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fs/directory_listing.hpp"
#include "fs/existence.hpp"
#include "fs/last_error.hpp"
#include "fs/path_attributes.hpp"
#include "fs/readable_file.hpp"
#include "fs/text.hpp"
#include "mapped_places.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::MappedDrive;
using testing::TempFolder;
using testing::UncShare;

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

void MakeFile(const std::u16string& path, const std::string& content = "") {
    std::ofstream(std::filesystem::path(W(path)), std::ios::binary) << content;
}

// The names a listing hands out, sorted: the order is the file system's.
std::vector<std::u16string> SortedNames(const std::u16string& pattern) {
    std::vector<std::u16string> names;
    FileEntry entry;
    if (FindFirstEntry(pattern, entry) == kNoSearch) return names;
    do names.push_back(entry.Name);
    while (FindNextEntry(entry));
    EXPECT_FALSE(entry.Failed);
    std::sort(names.begin(), names.end());
    return names;
}

// Makes `levels` folders of 40 characters below `top`, one inside the other, each reached
// in the extended form `extended` gives; removes them again at the end (the runtime's
// remove_all cannot reach beyond 260 characters).
class DeepChain {
public:
    DeepChain(const std::u16string& top, int levels, std::u16string (*extended)(const std::u16string&))
        : extended_(extended) {
        std::u16string path = top;
        for (int i = 0; i < levels; ++i) {
            path += u"\\" + std::u16string(40, static_cast<char16_t>(u'k' + i));
            if (!CreateDirectoryW(W(extended_(path)).c_str(), nullptr))
                throw std::runtime_error("cannot make the chain");
            folders_.push_back(path);
        }
    }
    ~DeepChain() {
        for (const std::u16string& file : files_) DeleteFileW(W(extended_(file)).c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(W(extended_(*it)).c_str());
    }
    const std::u16string& Deepest() const { return folders_.back(); }
    void File(const std::u16string& name, const std::string& content) {
        files_.push_back(Deepest() + u"\\" + name);
        const HANDLE file = CreateFileW(W(extended_(files_.back())).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }

private:
    std::u16string (*extended_)(const std::u16string&);
    std::vector<std::u16string> folders_;
    std::vector<std::u16string> files_;
};

std::u16string ExtendedDrivePath(const std::u16string& path) { return u"\\\\?\\" + path; }
std::u16string ExtendedUncPath(const std::u16string& path) { return u"\\\\?\\UNC\\" + path.substr(2); }

std::string ReadAll(ReadableFile& file) {
    std::string content(file.Size(), '\0');
    const int got = _read(file.Descriptor(), content.data(), static_cast<unsigned>(content.size()));
    content.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return content;
}

// The kind bits; the archive bit (0x20) varies: Wine reports it on every file.
std::int32_t KindBits(std::int32_t attributes) { return attributes & 0x17; }

TEST(WindowsAttributes, ComeFromTheFileSystem) {
    TempFolder temp;
    temp.File("plain.msg");
    temp.File("archived.msg");
    temp.File("hidden.msg");
    temp.File("system.msg");
    temp.File("readonly.msg");
    temp.Folder("folder");
    ASSERT_TRUE(SetFileAttributesW(temp.Native("plain.msg").c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesW(temp.Native("archived.msg").c_str(), FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(SetFileAttributesW(temp.Native("hidden.msg").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(SetFileAttributesW(temp.Native("system.msg").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW(temp.Native("readonly.msg").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(KindBits(GetPathAttributes(temp.Text("plain.msg"))), 0);
    EXPECT_EQ(GetPathAttributes(temp.Text("archived.msg")), 0x20);
    EXPECT_EQ(GetPathAttributes(temp.Text("hidden.msg")), 0x22);
    EXPECT_EQ(KindBits(GetPathAttributes(temp.Text("system.msg"))), 0x04);
    EXPECT_EQ(KindBits(GetPathAttributes(temp.Text("readonly.msg"))), 0x01);
    EXPECT_EQ(KindBits(GetPathAttributes(temp.Text("folder"))), 0x10);
    EXPECT_EQ(KindBits(GetPathAttributes(temp.Text("folder") + u"\\")), 0x10);
    EXPECT_EQ(LastError(), 0);

    // The listing reports the same words, and the NameAndKind listing their kind bits.
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text("hidden.msg"), entry), kNoSearch);
    EXPECT_EQ(entry.Attributes, 0x22u);
    CloseFind(entry);
    ASSERT_NE(FindFirstEntry(temp.Text("hidden.msg"), entry, ListingDetail::NameAndKind), kNoSearch);
    EXPECT_EQ(entry.Attributes, 0x02u);
    CloseFind(entry);
    ASSERT_NE(FindFirstEntry(temp.Text("readonly.msg"), entry, ListingDetail::NameAndKind), kNoSearch);
    EXPECT_EQ(entry.Attributes, 0x80u) << "read-only is no kind";
    EXPECT_TRUE(entry.IsFile);
    CloseFind(entry);
    for (const char* name : {"readonly.msg", "system.msg", "hidden.msg"})
        SetFileAttributesW(temp.Native(name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsNames, CompareWithoutRegardToCase) {
    TempFolder temp;
    temp.File("Mixed.MSG", "abc");
    temp.Folder("Sub");
    EXPECT_EQ(GetPathAttributes(temp.Text("mixed.msg")), GetPathAttributes(temp.Text("Mixed.MSG")));
    EXPECT_NE(GetPathAttributes(temp.Text("MIXED.msg")), -1);
    EXPECT_TRUE(FileExists(temp.Text("mIxEd.MsG")));
    EXPECT_TRUE(FolderExists(temp.Text("SUB")));
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text() + u"\\*.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Name, u"Mixed.MSG") << "the name as it is written on disk";
    EXPECT_EQ(entry.Extension, u"MSG");
    EXPECT_EQ(entry.FullPath, temp.Text() + u"\\Mixed.MSG");
    EXPECT_EQ(entry.ShortName.size() <= 12, true);
    EXPECT_FALSE(FindNextEntry(entry));
    ReadableFile file = ReadableFile::Open(temp.Text("MIXED.MSG"));
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(ReadAll(file), "abc");
}

TEST(WindowsNames, NamesOutsideEveryCodePageListAndOpen) {
    TempFolder temp;
    const std::u16string name = u"\u65E5\u672C \u00E9\U0001F4E7.msg";  // CJK, Latin-1 and an emoji
    MakeFile(temp.Text() + u"\\" + name, "payload");
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text() + u"\\*.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Name, name);
    EXPECT_EQ(entry.Size, 7u);
    CloseFind(entry);
    ReadableFile file = ReadableFile::Open(entry.FullPath);
    ASSERT_TRUE(file.IsOpen()) << ToUtf8(file.Problem());
    EXPECT_EQ(ReadAll(file), "payload");
}

TEST(WindowsPaths, ErrorsAreTheSystemsCodes) {
    TempFolder temp;
    temp.File("a.txt");
    EXPECT_EQ(GetPathAttributes(temp.Text("missing")), -1);
    EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPathAttributes(temp.Text("missing") + u"\\x"), -1);
    EXPECT_EQ(LastError(), ERROR_PATH_NOT_FOUND);
    FileEntry entry;
    EXPECT_EQ(FindFirstEntry(temp.Text() + u"\\*.msg", entry), kNoSearch);
    EXPECT_TRUE(entry.Failed);
    EXPECT_EQ(entry.ErrorCode, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstEntry(temp.Text("missing") + u"\\*", entry), kNoSearch);
    EXPECT_EQ(entry.ErrorCode, ERROR_PATH_NOT_FOUND);
    // The end of a listing is ERROR_NO_MORE_FILES, which is no failure.
    ASSERT_NE(FindFirstEntry(temp.Text("a.txt"), entry), kNoSearch);
    EXPECT_FALSE(FindNextEntry(entry));
    EXPECT_FALSE(entry.Failed);
    EXPECT_EQ(entry.ErrorCode, 0);
    static_assert(kNoMoreFiles == ERROR_NO_MORE_FILES);
}

TEST(WindowsPaths, DriveRoots) {
    MappedDrive drive;
    const std::u16string root = drive.Root();  // "Q:\"
    MakeFile(root + u"a.msg", "12");
    ASSERT_TRUE(CreateDirectoryW(W(root + u"Sub").c_str(), nullptr));
    MakeFile(root + u"Sub\\b.msg");

    EXPECT_EQ(GetPathAttributes(root) & 0x10, 0x10);
    EXPECT_TRUE(FolderExists(root));
    EXPECT_TRUE(FolderExists(root.substr(0, 2))) << "\"Q:\" names the root too";
    EXPECT_FALSE(FileExists(root));
    EXPECT_TRUE(FileExists(root + u"a.msg"));
    // A root has no "." and ".." items.
    EXPECT_EQ(SortedNames(root + u"*"), (std::vector<std::u16string>{u"Sub", u"a.msg"}));
    EXPECT_EQ(SortedNames(root + u"*.*"), (std::vector<std::u16string>{u"Sub", u"a.msg"}));
    EXPECT_EQ(SortedNames(root + u"Sub\\*"), (std::vector<std::u16string>{u".", u"..", u"b.msg"}));

    FileEntry entry;
    ASSERT_NE(FindFirstEntry(root + u"a.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Kind, kLocalPath);
    EXPECT_EQ(entry.ParentFolder, root);
    EXPECT_EQ(entry.FullPath, root + u"a.msg");
    EXPECT_EQ(entry.Size, 2u);
    CloseFind(entry);
    ASSERT_NE(FindFirstEntry(root + u"Sub", entry), kNoSearch);
    EXPECT_TRUE(entry.IsFolder);
    EXPECT_EQ(entry.FullPath, root + u"Sub");
    EXPECT_EQ(entry.Size, 0u);
    CloseFind(entry);
}

TEST(WindowsPaths, UncPaths) {
    UncShare share;
    const std::u16string top = share.Path();  // "\\server\share"
    MakeFile(top + u"\\m.msg", "unc");
    ASSERT_TRUE(CreateDirectoryW(W(top + u"\\Folder").c_str(), nullptr));

    EXPECT_EQ(GetPathAttributes(top + u"\\m.msg") & 0x10, 0);
    EXPECT_TRUE(FolderExists(top));
    EXPECT_TRUE(FolderExists(top + u"\\"));
    EXPECT_TRUE(FolderExists(top + u"\\Folder"));
    EXPECT_TRUE(FileExists(top + u"\\m.msg"));
    EXPECT_FALSE(FileExists(top + u"\\Folder"));
    EXPECT_EQ(SortedNames(top + u"\\*.msg"), std::vector<std::u16string>{u"m.msg"});

    FileEntry entry;
    ASSERT_NE(FindFirstEntry(top + u"\\*.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Kind, kUncPath);
    EXPECT_EQ(entry.ParentFolder, top + u"\\");
    EXPECT_EQ(entry.FullPath, top + u"\\m.msg");
    EXPECT_EQ(entry.Size, 3u);
    CloseFind(entry);
    ReadableFile file = ReadableFile::Open(top + u"\\m.msg");
    ASSERT_TRUE(file.IsOpen()) << ToUtf8(file.Problem());
    EXPECT_EQ(ReadAll(file), "unc");

    // Beyond 260 characters, too (the extended form of a UNC path).
    DeepChain chain(top, 8, ExtendedUncPath);
    const std::u16string deep = chain.Deepest();
    ASSERT_GT(deep.size(), 260u);
    chain.File(u"deep.msg", "x");
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(FileExists(deep + u"\\deep.msg"));
    EXPECT_EQ(SortedNames(deep + u"\\*"), (std::vector<std::u16string>{u".", u"..", u"deep.msg"}));
}

TEST(WindowsPaths, LongerThan260Characters) {
    TempFolder temp;
    DeepChain chain(temp.Text(), 8, ExtendedDrivePath);
    const std::u16string deep = chain.Deepest();
    ASSERT_GT(deep.size(), 300u);
    chain.File(u"deep.msg", "far down");

    EXPECT_EQ(GetPathAttributes(deep) & 0x10, 0x10);
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(FileExists(deep + u"\\deep.msg"));
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(deep + u"\\*.msg", entry), kNoSearch);
    EXPECT_EQ(entry.Name, u"deep.msg");
    EXPECT_EQ(entry.FullPath, deep + u"\\deep.msg");
    EXPECT_EQ(entry.Size, 8u);
    EXPECT_EQ(entry.SizeOnDisk, 8u);
    EXPECT_FALSE(entry.ShortName.empty());
    CloseFind(entry);
    ReadableFile file = ReadableFile::Open(deep + u"\\deep.msg");
    ASSERT_TRUE(file.IsOpen()) << ToUtf8(file.Problem());
    EXPECT_EQ(ReadAll(file), "far down");

    // A relative or "/"-separated path cannot take the extended form; a short one works as
    // the system resolves it.
    const std::u16string slashed = temp.Text() + u"/" + std::u16string(40, u'k');
    EXPECT_TRUE(FolderExists(slashed));
}

TEST(WindowsPaths, SizesPastFourGiBCountBothHalves) {
    TempFolder temp;
    const std::uint64_t size = 0x1'8000'0001ull;  // the low half has its top bit set
    {
        const HANDLE file = CreateFileW(temp.Native("big.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);  // no disk for the gap
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    }
    FileEntry entry;
    ASSERT_NE(FindFirstEntry(temp.Text("big.bin"), entry), kNoSearch);
    EXPECT_EQ(entry.Size, size);
    EXPECT_EQ(entry.SizeOnDisk, size) << "not compressed";
    CloseFind(entry);
}

TEST(WindowsReadableFile, RefusesDevicesPipesAndFoldersWithoutHanging) {
    TempFolder temp;
    temp.Folder("folder.msg");
    const std::wstring pipeName = L"\\\\.\\pipe\\ferrowick-test-" + testing::RandomDigits();
    const HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);

    const auto problem = [](const std::u16string& path) {
        ReadableFile file = ReadableFile::Open(path);
        EXPECT_FALSE(file.IsOpen()) << ToUtf8(path);
        EXPECT_NE(file.ErrorCode(), 0);
        return ToUtf8(file.Problem());
    };
    EXPECT_EQ(problem(u"NUL"), "is not a regular file: character device");
    EXPECT_EQ(problem(u"\\\\.\\NUL"), "is not a regular file: character device");
    EXPECT_EQ(problem(std::u16string(pipeName.begin(), pipeName.end())), "is not a regular file: named pipe");
    EXPECT_EQ(problem(temp.Text("folder.msg")), "is not a regular file: folder");
    EXPECT_EQ(problem(temp.Text("missing.msg")).rfind("could not be opened: ", 0), 0u);
    // In a full path a device name is an ordinary name, here of nothing.
    EXPECT_EQ(problem(temp.Text("nul")).rfind("could not be opened: ", 0), 0u);
    EXPECT_EQ(problem(temp.Text("con.msg")).rfind("could not be opened: ", 0), 0u);
    CloseHandle(pipe);
}

}  // namespace
}  // namespace ferrowick::fs
