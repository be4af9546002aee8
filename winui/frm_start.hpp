#pragma once
// The start window: the choice of mode, its explanations and help links, and Next.
#include "winui/form.hpp"

namespace ferrowick::winui {

class Wizard;

class FrmStart : public Form {
public:
    enum Id {
        OptSingle = 100,
        lblSingleHelp,
        OptMultiple,
        lblMultipleHelp,
        CmdHelp,
        CmdNext,
        lblTitle,
        Label3,
        Label2,
        Label4,
        lblProduct
    };

    explicit FrmStart(Wizard& wizard);

    bool SingleSelected() const;
    void SelectMode(bool single);  // as a click on the option button does
    void SetRunning(bool running);

protected:
    void Build() override;
    void OnCommand(int id, int code) override;
    void OnCloseRequest() override;

private:
    Wizard& wizard_;
};

}  // namespace ferrowick::winui
