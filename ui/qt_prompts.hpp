#pragma once
// The run's modal questions as Qt dialogs: message boxes with the exact titles, icons,
// buttons and texts, the Save-As prompt, and closing the single-folder window.
#include <QString>
#include <functional>

#include "seams/prompts.hpp"

class QWidget;

namespace ferrowick::ui {

class QtPrompts : public Prompts {
public:
    // parentWindow gives the window the boxes are modal to; closeSingle unloads frmSingle.
    QtPrompts(std::function<QWidget*()> parentWindow, std::function<void()> closeSingle)
        : parentWindow_(std::move(parentWindow)), closeSingle_(std::move(closeSingle)) {}

    MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
    std::optional<std::u16string> AskSavePath(const std::u16string& filter,
                                              const std::u16string& proposedName) override;
    void CloseSingleFolderWindow() override { closeSingle_(); }

private:
    std::function<QWidget*()> parentWindow_;
    std::function<void()> closeSingle_;
};

// "Outlook Data File(s) (*.pst)|*.pst" (description and pattern pairs) as Qt name filters.
QStringList NameFiltersOf(const QString& filter);

// The text a message box was asked to show, exactly (line breaks included), kept on the
// box under this property name.
inline constexpr const char* kRequestTextProperty = "ferrowickRequestText";

}  // namespace ferrowick::ui
