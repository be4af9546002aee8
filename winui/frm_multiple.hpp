#pragma once
// The multiple-folder window: pick a root folder, tick its sub-folders in the list, choose
// the output folder; Next starts the run over the ticked rows.
#include <set>

#include "winui/form.hpp"

#include <commctrl.h>

namespace ferrowick::winui {

class Wizard;

class FrmMultiple : public Form {
public:
    enum Id {
        CmdAddFolder = 300,
        lblSelectRootFolder,
        chkSelectAll,
        lv,
        Frame1,
        txtOutputFolder,
        cmdChange,
        cmdBack,
        CmdNext,
        Label3,
        Label1
    };

    explicit FrmMultiple(Wizard& wizard);

    // Creates the window: the Desktop in the output box, an empty list.
    void Load();
    int RowCount() const;
    bool RowChecked(int index) const;  // 0-based
    void SetRowChecked(int index, bool checked);
    std::wstring RowText(int index, int column) const;
    void MarkRowStarted(int index);
    bool RowStarted(int index) const { return started_.count(index) > 0; }
    std::wstring OutputFolder() const { return Text(txtOutputFolder); }
    void SetRunning(bool running);

protected:
    void Build() override;
    void OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR* header, bool& handled) override;
    void OnCloseRequest() override;
    void OnRelayout() override;

private:
    void FillList(const std::wstring& root);
    void SelectAllClicked();
    void Next();
    void SetColumns();

    Wizard& wizard_;
    HIMAGELIST images_ = nullptr;
    HFONT startedFont_ = nullptr;
    std::set<int> started_;
    bool running_ = false;
    bool listed_ = false;
};

}  // namespace ferrowick::winui
