#pragma once
// A new store file that appears at its path only once it is whole: built and committed
// under a temporary name in the same folder, then linked to its name without ever
// replacing a file that is already there.
#include <filesystem>
#include <string>

#include "pst/messaging/pst_store.hpp"

namespace ferrowick {

// Throws StoreFailure when `path` exists (or appears meanwhile) or cannot be written.
pst::PstStore CreateStoreFile(const std::filesystem::path& path, const std::u16string& displayName);

}  // namespace ferrowick
