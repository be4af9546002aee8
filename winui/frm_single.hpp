#pragma once
// The single-folder window: pick one source folder, then Next starts the run.
#include "winui/form.hpp"

namespace ferrowick::winui {

class Wizard;

class FrmSingle : public Form {
public:
    enum Id { txtSourceMailbox = 200, CmdAddFolder, lblSingleMailbox, CmdNext, Label3 };

    explicit FrmSingle(Wizard& wizard);

    bool Loaded() const { return loaded_; }
    // A new load: an empty path box and Next disabled until a folder is picked.
    void Load();
    // Closed by the user or by the run: hidden, and loaded afresh when shown again.
    void Unload();
    std::wstring SourceMailbox() const { return Text(txtSourceMailbox); }
    void SetRunning(bool running);

protected:
    void Build() override;
    void OnCommand(int id, int code) override;
    void OnCloseRequest() override { Unload(); }

private:
    Wizard& wizard_;
    bool loaded_ = false;
    bool picked_ = false;
    bool running_ = false;
};

}  // namespace ferrowick::winui
