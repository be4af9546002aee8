#include "winui/win_prompts.hpp"

#include <commdlg.h>

#include "winui/wide_text.hpp"

namespace ferrowick::winui {

MessageAnswer WinPrompts::ShowMessage(const MessageBoxRequest& request) {
    UINT style = request.buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    if (request.icon == MessageIcon::Information) style |= MB_ICONINFORMATION;
    if (request.icon == MessageIcon::Question) style |= MB_ICONQUESTION;
    if (request.icon == MessageIcon::Warning) style |= MB_ICONWARNING;
    // A message box cannot fold details away: they follow the text after a blank line.
    std::wstring text = W(request.text);
    if (!request.details.empty()) text += L"\r\n\r\n" + W(request.details);
    const int answer = MessageBoxW(owner_(), text.c_str(), W(request.title).c_str(), style);
    if (request.buttons != MessageButtons::YesNo) return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

std::wstring DialogFilter(const std::u16string& filter) {
    std::wstring result = W(filter);
    for (wchar_t& c : result)
        if (c == L'|') c = L'\0';
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

std::optional<std::u16string> WinPrompts::AskSavePath(const std::u16string& filter,
                                                      const std::u16string& proposedName) {
    const std::wstring filters = DialogFilter(filter);
    std::wstring file(32768, L'\0');
    const std::wstring proposed = W(proposedName);
    file.replace(0, std::min(proposed.size(), file.size() - 1), proposed.substr(0, file.size() - 1));
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner_();
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrDefExt = L"pst";
    // The user confirms replacing a file; the store is never written over unasked.
    request.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&request)) return std::nullopt;
    file.resize(file.find(L'\0'));
    if (file.empty()) return std::nullopt;
    return U(file);
}

}  // namespace ferrowick::winui
