#include "cli/terminal_prompts.hpp"

#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

std::string Lines(const std::u16string& text) {
    std::u16string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) plain.push_back(text[i]);
    return ToUtf8(plain);
}

}  // namespace

TerminalPrompts::TerminalPrompts(std::FILE* out, std::FILE* err, std::optional<std::u16string> outputPath)
    : out_(out), err_(err), outputPath_(std::move(outputPath)) {}

MessageAnswer TerminalPrompts::ShowMessage(const MessageBoxRequest& request) {
    if (request.buttons == MessageButtons::YesNo) {
        std::fprintf(err_, "%s: %s -> Yes\n", ToUtf8(request.title).c_str(), Lines(request.text).c_str());
        return MessageAnswer::Yes;
    }
    if (request.title == u"Outlook Error") {
        storeFailed_ = true;
        std::fprintf(err_, "%s:\n%s\n", ToUtf8(request.title).c_str(), Lines(request.text).c_str());
        if (!request.details.empty()) std::fprintf(err_, "%s\n", Lines(request.details).c_str());
        return MessageAnswer::Ok;
    }
    std::fprintf(out_, "%s\n", Lines(request.text).c_str());
    return MessageAnswer::Ok;
}

std::optional<std::u16string> TerminalPrompts::AskSavePath(const std::u16string&, const std::u16string&) {
    return outputPath_;
}

}  // namespace ferrowick::cli
