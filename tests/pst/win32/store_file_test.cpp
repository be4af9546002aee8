// The store file on Win32 handles: one writer at a time by share mode, readers beside it,
// offsets past 4 GiB, and new names that never replace a file.
#include <windows.h>
#include <gtest/gtest.h>
#include <winioctl.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pst/ndb/file_io.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::pst {
namespace {

using Access = RandomAccessFile::Access;
using testing::TempFolder;

std::string Content(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Win32StoreFile, ASecondWriterIsRefusedReadersAreNot) {
    TempFolder temp;
    const auto path = temp.Native("a.pst");
    {
        RandomAccessFile writer(path, Access::CreateNew);
        writer.WriteAt(0, Bytes("written"));
        EXPECT_THROW(RandomAccessFile(path, Access::ReadWrite), FileInUse);
        EXPECT_THROW(RandomAccessFile(path, Access::FillEmpty), FileInUse);
        EXPECT_TRUE(IsLockedForWriting(path));
        RandomAccessFile reader(path, Access::Read);  // readers may read meanwhile
        std::vector<std::uint8_t> got(7);
        EXPECT_TRUE(reader.ReadAt(0, got));
        EXPECT_EQ(std::string(got.begin(), got.end()), "written");
        EXPECT_THROW(RandomAccessFile(path, Access::ReadWrite), FileInUse);
    }
    {
        // The refusal goes with the writer's handle; a reader holds no lock.
        RandomAccessFile reader(path, Access::Read);
        EXPECT_FALSE(IsLockedForWriting(path));
        RandomAccessFile writer(path, Access::ReadWrite);
        EXPECT_TRUE(IsLockedForWriting(path));
    }
    EXPECT_FALSE(IsLockedForWriting(path));
}

TEST(Win32StoreFile, AStoreOpenForWritingIsInUse) {
    TempFolder temp;
    const auto path = temp.Native("store.pst");
    auto writer = NodeDatabase::Create(path);
    writer.Commit();
    EXPECT_THROW(NodeDatabase::Open(path, OpenMode::ReadWrite), FileInUse);
    EXPECT_NO_THROW(NodeDatabase::Open(path, OpenMode::ReadOnly));
}

TEST(Win32StoreFile, MakingNewRefusesAnExistingFileAndEmptiesNothing) {
    TempFolder temp;
    temp.File("kept.pst", "not a store");
    EXPECT_THROW(RandomAccessFile(temp.Native("kept.pst"), Access::CreateNew), FileExists);
    EXPECT_THROW(RandomAccessFile(temp.Native("kept.pst"), Access::FillEmpty), FileExists);
    EXPECT_EQ(Content(temp.Native("kept.pst")), "not a store");
    try {
        RandomAccessFile(temp.Native("missing.pst"), Access::Read);
        ADD_FAILURE() << "a missing file opened";
    } catch (const PstError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::Io);
        EXPECT_NE(std::string(e.what()).find("missing.pst"), std::string::npos) << e.what();
    }
    // A device is no store: refused, not read or written.
    EXPECT_THROW(RandomAccessFile("NUL", Access::ReadWrite), PstError);
}

TEST(Win32StoreFile, ANewNameNeverReplacesAFile) {
    TempFolder temp;
    temp.File("taken.pst", "someone else's");
    RandomAccessFile file(temp.Native("new.tmp"), Access::CreateNew);
    file.WriteAt(0, Bytes("ours"));
    EXPECT_EQ(file.LinkTo(temp.Native("taken.pst")), EEXIST);
    EXPECT_EQ(Content(temp.Native("taken.pst")), "someone else's");
    EXPECT_EQ(file.Path(), temp.Native("new.tmp"));

    ASSERT_EQ(file.LinkTo(temp.Native("free.pst")), 0);
    EXPECT_EQ(file.Path(), temp.Native("free.pst"));
    file.WriteAt(4, Bytes("!"));
    file.Flush();
    EXPECT_EQ(Content(temp.Native("free.pst")), "ours!");
    EXPECT_TRUE(IsLockedForWriting(temp.Native("free.pst"))) << "still the one writer";
    EXPECT_THROW(RandomAccessFile(temp.Native("free.pst"), Access::ReadWrite), FileInUse);
    EXPECT_FALSE(std::filesystem::exists(temp.Native("new.tmp"))) << "moved, not copied";
}

TEST(Win32StoreFile, OffsetsPastFourGiB) {
    TempFolder temp;
    const auto path = temp.Native("big.pst");
    {
        // Sparse where the file system can, so the gap costs no disk.
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        DWORD returned = 0;
        DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        CloseHandle(handle);
    }
    RandomAccessFile file(path, Access::FillEmpty);
    const std::uint64_t beyond = 0x1'8000'0001ull;  // above 4 GiB, low half with its top bit set
    file.WriteAt(beyond, Bytes("tail"));
    file.WriteAt(3, Bytes("head"));
    EXPECT_EQ(file.Size(), beyond + 4);
    std::vector<std::uint8_t> got(4);
    ASSERT_TRUE(file.ReadAt(beyond, got));
    EXPECT_EQ(std::string(got.begin(), got.end()), "tail");
    ASSERT_TRUE(file.ReadAt(3, got));
    EXPECT_EQ(std::string(got.begin(), got.end()), "head");
    EXPECT_FALSE(file.ReadAt(beyond + 1, got)) << "the file ends first";
    file.Resize(7);
    EXPECT_EQ(file.Size(), 7u);
}

}  // namespace
}  // namespace ferrowick::pst
