// A new store on Windows: made under a temporary name beside the output, moved to its name
// only when whole, never over a file that is there, and no temporary left behind.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pst/ndb/file_io.hpp"
#include "seams/store_service.hpp"
#include "store/new_store_file.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

using testing::TempFolder;

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = item.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Win32NewStoreFile, AppearsWholeUnderItsNameAndStaysInUse) {
    TempFolder temp;
    const auto path = temp.Native("Mail \xC3\xA9.pst");
    auto store = CreateStoreFile(path, u"Mail");
    ASSERT_TRUE(store.has_value());
    EXPECT_EQ(Names(temp.Root()), std::vector<std::string>{"Mail \xC3\xA9.pst"}) << "no temporary is left";
    EXPECT_TRUE(pst::IsLockedForWriting(path));
    EXPECT_THROW(pst::RandomAccessFile(path, pst::RandomAccessFile::Access::ReadWrite), pst::FileInUse);
    store.reset();
    EXPECT_FALSE(pst::IsLockedForWriting(path));
    EXPECT_GT(std::filesystem::file_size(path), 0u);
}

TEST(Win32NewStoreFile, AFileThatIsThereIsNeverReplaced) {
    TempFolder temp;
    temp.File("taken.pst", "not ours");
    EXPECT_FALSE(CreateStoreFile(temp.Native("taken.pst"), u"Mail").has_value());
    std::ifstream in(temp.Native("taken.pst"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not ours");
    EXPECT_EQ(Names(temp.Root()), std::vector<std::string>{"taken.pst"}) << "no temporary is left";
}

TEST(Win32NewStoreFile, StaleTemporariesGoThoseInUseStay) {
    TempFolder temp;
    temp.File(".Mail.pst.0123456789abcdef.tmp", "left by a killed writer");
    temp.File(".Mail.pst.fedcba9876543210.tmp");
    temp.File(".Other.pst.0123456789abcdef.tmp", "another output's");
    pst::RandomAccessFile writing(temp.Native(".Mail.pst.fedcba9876543210.tmp"),
                                  pst::RandomAccessFile::Access::ReadWrite);
    RemoveStaleTemporaries(temp.Native("Mail.pst"));
    EXPECT_EQ(Names(temp.Root()),
              (std::vector<std::string>{".Mail.pst.fedcba9876543210.tmp", ".Other.pst.0123456789abcdef.tmp"}));
}

TEST(Win32NewStoreFile, AFolderThatCannotBeWrittenToIsReported) {
    TempFolder temp;
    EXPECT_THROW(CreateStoreFile(temp.Native("missing/folder/Mail.pst"), u"Mail"), StoreFailure);
    EXPECT_TRUE(Names(temp.Root()).empty());
}

}  // namespace
}  // namespace ferrowick
