// Only regular files are opened for reading; everything else is refused, unopened, with
// the kind of item it is.
#include <gtest/gtest.h>
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

}  // namespace
}  // namespace ferrowick::fs
