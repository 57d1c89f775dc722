// "Optionen (Bitmap-Export)": size, DIN proportion, resolution and font of
// exported, copied and printed diagram pictures. Kept in the settings store
// from program start to end.
#pragma once

#include "app/app_windows.h"

#include "diagram/picture_options.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace vemra {

// Lets the user pick a font, starting from current; none when cancelled.
// The font dialog by default; tests put their own answer here.
using FontChooser = std::function<std::optional<FontSetting>(const FontSetting& current, QWidget* parent)>;
FontChooser& fontChooser();

class TDlgPictExOpt : public QDialog, public OptionsDialog {
    Q_OBJECT
public:
    // Reads the stored options.
    explicit TDlgPictExOpt(QWidget* parent = nullptr);
    // Writes them.
    ~TDlgPictExOpt() override;

    bool execModal() override;
    const PictureExportOptions& options() const { return options_; }
    void setOptions(const PictureExportOptions& options);

    // The screen's pixels per inch, as the resolution list shows them.
    static double screenPixelsPerInch();

    QCheckBox* CBDin;
    QCheckBox* CBLandscape;
    QSpinBox* SEdWidth;
    QSpinBox* SEdHeight;
    QComboBox* CBRes;
    QLabel* PanelFont;

    // Controls to options and back.
    void loadControls();
    PictureExportOptions controlValues() const;
    void PanelFontClick();

private:
    // Brings the sizes into DIN proportion after a change of one field.
    void keepProportion(SizeField changed);
    void showFont();

    PictureExportOptions options_;
    FontSetting shownFont_;
    bool adjusting_ = false;
};

} // namespace vemra
