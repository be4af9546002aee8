#pragma once
// The run's prompts on a terminal: there is nobody to ask, so the save prompt returns the
// output path given on the command line and every Yes/No question (Skip, Stop) is answered
// Yes on the progress stream. The "Completed" box is not shown: the command prints its own
// last lines from the run's records. A store that could not be created is recorded with
// the reason the store gave, not the box's advice about Outlook installations.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/run_outcome.hpp"
#include "seams/prompts.hpp"

namespace ferrowick::cli {

class TerminalPrompts : public Prompts {
public:
    // `currentStore` is the run's output path, read when a store fails.
    TerminalPrompts(std::FILE* progress, std::optional<std::u16string> outputPath, const std::u16string& currentStore);

    MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
    std::optional<std::u16string> AskSavePath(const std::u16string& filter,
                                              const std::u16string& proposedName) override;
    void CloseSingleFolderWindow() override {}

    const std::vector<StoreFailure>& StoreFailures() const { return storeFailures_; }

private:
    std::FILE* progress_;
    std::optional<std::u16string> outputPath_;
    const std::u16string& currentStore_;
    std::vector<StoreFailure> storeFailures_;
};

}  // namespace ferrowick::cli
