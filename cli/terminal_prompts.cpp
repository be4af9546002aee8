#include "cli/terminal_prompts.hpp"
#include "cli/console_output.hpp"

#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

std::string Lines(const std::u16string& text) {
    std::u16string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) plain.push_back(text[i]);
    return ToUtf8(plain);
}

// The store's own description closes the box's text.
std::string LastLine(const std::u16string& text) {
    const auto at = text.rfind(u'\n');
    return Lines(at == std::u16string::npos ? text : text.substr(at + 1));
}

}  // namespace

TerminalPrompts::TerminalPrompts(std::FILE* progress, std::optional<std::u16string> outputPath,
                                 const std::u16string& currentStore)
    : progress_(progress), outputPath_(std::move(outputPath)), currentStore_(currentStore) {}

MessageAnswer TerminalPrompts::ShowMessage(const MessageBoxRequest& request) {
    if (request.buttons == MessageButtons::YesNo) {
        PrintTo(progress_, "%s: %s -> Yes\n", ToUtf8(request.title).c_str(), Lines(request.text).c_str());
        return MessageAnswer::Yes;
    }
    if (request.title == u"Outlook Error") {
        std::string reason = LastLine(request.text);
        if (reason.empty()) reason = "the store could not be created";
        storeFailures_.push_back(StoreFailure{ToUtf8(currentStore_), std::move(reason)});
        return MessageAnswer::Ok;
    }
    if (request.title != u"Completed") PrintTo(progress_, "%s\n", Lines(request.text).c_str());
    return MessageAnswer::Ok;
}

std::optional<std::u16string> TerminalPrompts::AskSavePath(const std::u16string&, const std::u16string&) {
    return outputPath_;
}

}  // namespace ferrowick::cli
