// Only regular files are opened for reading; everything else is refused, unopened, with
// the kind of item it is.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "fs/readable_file.hpp"
#include "fs/text.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::fs {
namespace {

using testing::TempFolder;

std::string Problem(const TempFolder& temp, const std::string& name) {
    const ReadableFile file = ReadableFile::Open(temp.Text(name));
    EXPECT_FALSE(file.IsOpen()) << name;
    EXPECT_NE(file.ErrorCode(), 0) << name;
    return ToUtf8(file.Problem());
}

TEST(ReadableFile, OpensRegularFilesAndLinksToThem) {
    TempFolder temp;
    temp.File("a.msg", "12345");
    ASSERT_EQ(symlink("a.msg", temp.Native("alias.msg").c_str()), 0);
    for (const char* name : {"a.msg", "alias.msg"}) {
        ReadableFile file = ReadableFile::Open(temp.Text(name));
        ASSERT_TRUE(file.IsOpen()) << ToUtf8(file.Problem());
        EXPECT_EQ(file.Size(), 5u);
        EXPECT_TRUE(file.Problem().empty());
        char bytes[8] = {};
        EXPECT_EQ(read(file.Descriptor(), bytes, sizeof bytes), 5);
        EXPECT_EQ(std::string(bytes), "12345");
        EXPECT_EQ(fcntl(file.Descriptor(), F_GETFL) & O_NONBLOCK, 0);  // reads block as usual
    }
}

TEST(ReadableFile, RefusesEveryOtherKindOfItemWithoutHanging) {
    TempFolder temp;
    ASSERT_EQ(mkfifo(temp.Native("pipe.msg").c_str(), 0644), 0);  // opening it would wait for a writer
    ASSERT_EQ(symlink("pipe.msg", temp.Native("to-pipe.msg").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", temp.Native("zero.msg").c_str()), 0);
    ASSERT_EQ(symlink("missing.msg", temp.Native("dangling.msg").c_str()), 0);
    temp.Folder("folder.msg");
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = temp.Native("socket.msg").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    EXPECT_EQ(Problem(temp, "pipe.msg"), "is not a regular file: named pipe");
    EXPECT_EQ(Problem(temp, "to-pipe.msg"), "is not a regular file: named pipe");
    EXPECT_EQ(Problem(temp, "zero.msg"), "is not a regular file: character device");
    EXPECT_EQ(Problem(temp, "folder.msg"), "is not a regular file: folder");
    EXPECT_EQ(Problem(temp, "socket.msg"), "is not a regular file: socket");
    EXPECT_EQ(Problem(temp, "dangling.msg"), "could not be opened: No such file or directory");
    EXPECT_EQ(Problem(temp, "missing.msg"), "could not be opened: No such file or directory");
    close(sock);
}

TEST(ReadableFile, ReleaseHandsTheDescriptorOver) {
    TempFolder temp;
    temp.File("a.msg", "x");
    ReadableFile file = ReadableFile::Open(temp.Text("a.msg"));
    const int descriptor = file.Release();
    ASSERT_GE(descriptor, 0);
    EXPECT_FALSE(file.IsOpen());
    ReadableFile moved = std::move(file);
    moved = ReadableFile::Open(temp.Text("missing"));
    EXPECT_EQ(fcntl(descriptor, F_GETFD), FD_CLOEXEC);  // still open: the caller's now
    close(descriptor);
}

}  // namespace
}  // namespace ferrowick::fs
