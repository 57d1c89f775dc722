// "Vorgabe": the display settings every new motion definition copies and
// the highlight colour of new diagram windows, kept in the settings store;
// "überall ändern" gives every open motion definition the defaults.
#pragma once

#include "diagram_settings.h"

#include "app/app_windows.h"

#include <QDialog>

#include <functional>

class QPushButton;

namespace vemra {

class DisplayGroup;
class Workspace;

class TDlgDiagDefault : public QDialog, public OptionsDialog {
    Q_OBJECT
public:
    // Reads the stored defaults and makes them those of new motions.
    TDlgDiagDefault(Workspace& ws, QWidget* parent = nullptr);
    // Writes them.
    ~TDlgDiagDefault() override;

    bool execModal() override;
    Color HLColor() const { return settings_.HLColor; }
    const DiagramDefaultSettings& settings() const { return settings_; }
    void setSettings(const DiagramDefaultSettings& settings);

    // Called after "überall ändern" changed the motions: redraw the windows.
    std::function<void()> redrawAll;

    DisplayGroup* Display;
    QPushButton* BtEverywhere;

    void BtEverywhereClick();

private:
    Workspace& ws_;
    DiagramDefaultSettings settings_;
};

} // namespace vemra
