#pragma once
// The Save-As prompt for an output store. Naming an existing file is answered before the
// prompt closes: a .pst may receive the converted messages after a Yes, anything else is
// refused, since the conversion cannot write into it.
#include <QFileDialog>

namespace ferrowick::ui {

// What a file on disk is, as far as choosing it for output goes.
enum class ExistingOutput { None, Store, NotAStore };
ExistingOutput ClassifyExistingOutput(const QString& path);

class SavePstDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit SavePstDialog(QWidget* owner);

public slots:
    void accept() override;
};

}  // namespace ferrowick::ui
