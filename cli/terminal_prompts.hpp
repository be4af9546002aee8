#pragma once
// The run's prompts on a terminal: there is nobody to ask, so the save prompt returns the
// output path given on the command line and every Yes/No question (Skip, Stop) is answered
// Yes; notices go to the streams given.
#include <cstdio>
#include <optional>
#include <string>

#include "run/prompts.hpp"

namespace ferrowick::cli {

class TerminalPrompts : public Prompts {
public:
    TerminalPrompts(std::FILE* out, std::FILE* err, std::optional<std::u16string> outputPath);

    MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
    std::optional<std::u16string> AskSavePath(const std::u16string& filter, const std::u16string& proposedName) override;
    void CloseSingleFolderWindow() override {}

    // Whether a store could not be opened or created during the run.
    bool StoreFailed() const { return storeFailed_; }

private:
    std::FILE* out_;
    std::FILE* err_;
    std::optional<std::u16string> outputPath_;
    bool storeFailed_ = false;
};

}  // namespace ferrowick::cli
