#pragma once
// The modal questions and notices of a run: message boxes, the save prompt, and closing
// the single-folder window. The wizard shows real dialogs; the terminal answers itself.
#include <optional>
#include <string>

namespace ferrowick {

enum class MessageIcon { None, Information, Question, Warning };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBoxRequest {
    std::u16string text;  // lines joined by CR LF
    std::u16string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::u16string details;  // optional longer text the user can expand (empty: none)
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MessageAnswer ShowMessage(const MessageBoxRequest& request) = 0;
    // The Save-As prompt: the chosen full path, or nothing when cancelled or failed.
    virtual std::optional<std::u16string> AskSavePath(const std::u16string& filter,
                                                      const std::u16string& proposedName) = 0;
    // Closes (unloads) the single-folder window; nothing when it is closed already.
    virtual void CloseSingleFolderWindow() = 0;
};

}  // namespace ferrowick
