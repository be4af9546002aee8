#include "store/unnamed_file.hpp"

namespace ferrowick {

// Windows makes no file without a name: the store is made under a temporary one.
int OpenUnnamed(const std::filesystem::path&) { return -1; }

std::filesystem::path UnnamedFilePath(int) { return {}; }

void CloseUnnamed(int) {}

// NTFS journals its folder entries: a rename is durable once done, with nothing to flush.
void SyncFolder(const std::filesystem::path&) {}

}  // namespace ferrowick
