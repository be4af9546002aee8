#pragma once
// A new store file that appears at its path only once it is whole, without ever replacing
// a file that is there. The steps and what a crash between them leaves: section 8 at the
// top of pst/ndb/node_database.cpp.
#include <filesystem>
#include <optional>
#include <string>

#include "pst/messaging/pst_store.hpp"

namespace ferrowick {

// Nothing when a file appeared at `path` meanwhile; throws StoreFailure when `path` cannot
// be written.
std::optional<pst::PstStore> CreateStoreFile(const std::filesystem::path& path, const std::u16string& displayName);

// Removes the temporary files that a writer of `path` killed before it could link its file
// left behind; ones still being written (locked by their writer) stay.
void RemoveStaleTemporaries(const std::filesystem::path& path);

}  // namespace ferrowick
