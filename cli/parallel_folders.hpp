#pragma once
// `convert --multiple --jobs N`: up to N sub-folders converted at a time, each by a child
// process of this same program running the one-folder conversion exactly as --jobs 1 does
// (so each has its own run state, store session and signal handling, and a failure in one
// cannot disturb another). Each child's progress lines are passed on prefixed with its
// folder's name; its report is read back and merged, in the folders' order.
#include <string>
#include <vector>

#include "cli/run_outcome.hpp"
#include "seams/keyed_queue.hpp"
#include "seams/selection_inputs.hpp"

namespace ferrowick::cli {

RunOutcome ConvertInParallel(const std::string& root, const std::string& outputDir,
                             const std::vector<FolderRow>& chosen, unsigned jobs);

// Every file of a folder tree, listed as discovery lists it, without showing progress.
KeyedQueue ListFolderTree(const std::u16string& folder);
// OUTPUT_DIR/NAME.pst, as the engine names a sub-folder's store.
std::u16string StoreForRow(const std::u16string& outputFolder, const FolderRow& row);

}  // namespace ferrowick::cli
