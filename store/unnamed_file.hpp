#pragma once
// What making a new store file needs of the platform: a file without a name in the output's
// folder, where the system can make one, and making a new name in a folder durable.
#include <filesystem>

namespace ferrowick {

// A file without a name in `folder`, open for reading and writing and reachable through
// UnnamedFilePath while it is open; -1 where the file system or the system cannot do that.
int OpenUnnamed(const std::filesystem::path& folder);
std::filesystem::path UnnamedFilePath(int unnamed);
void CloseUnnamed(int unnamed);

// The new name must survive a crash too: flushes the folder's entries where the system
// needs that asked for.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace ferrowick
