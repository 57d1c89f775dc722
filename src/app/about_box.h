// The about box: the program's name, its version and what it is for.
#pragma once

#include "app_windows.h"

#include <QDialog>

namespace vemra {

class TAboutBox : public QDialog, public OptionsDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    bool execModal() override { return exec() == QDialog::Accepted; }

    static QString versionText();
};

} // namespace vemra
