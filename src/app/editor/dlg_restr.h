// TDlgRestr ("Eingabe"): the one editor window beside the main window. It
// edits the node selected in the project tree on one of five pages (project,
// motion definition, restriction on the motion, restriction on the
// spectrum, error), writes every change into the node at once, and tells
// the rest of the program what the change outdated.
#pragma once

#include "app/app_windows.h"

#include "editor/coefficient_table.h"
#include "editor/editor_rules.h"
#include "editor/editor_session.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;

namespace vemra {

class TDlgMain;
class TRealEdit;

class ClickableLabel;

class TDlgRestr : public QWidget, public EditorWindow, public EditorHost {
    Q_OBJECT
public:
    explicit TDlgRestr(TDlgMain& main);
    ~TDlgRestr() override;

    // The dialog that asks which optimisation object a restriction joins.
    void setOptimisationObjectChooser(OptimisationObjectChooser* chooser) { chooser_ = chooser; }

    // EditorWindow
    void SetObject(TreeItem* item) override;
    void ClearObject() override;
    bool isShown() const override { return isVisible(); }
    void showEditor() override;
    void hideEditor() override { hide(); }
    void bringToFront() override;
    void commitInput() override;

    // EditorHost
    void redrawDiagramsOf(TreeItem* item) override;
    void regenerateReportsOf(TreeItem* item) override;
    void setCalcEnabled(bool enabled) override;

    // Fills the controls from the node and tells what the change outdated.
    void UpdateControls();
    void FillCoefficientGrid();
    EditorPage activePage() const { return page_; }

    TreeItem* TreeNode() const { return session_.TreeNode(); }
    TNLMember* Node() const { return session_.Node(); }
    bool Updating = false;
    bool Loading() const { return session_.Loading; }
    // The grid's numbers in full precision, one line per harmonic row.
    const std::vector<std::string>& GridText() const { return gridText_; }

    // The commit of a half-typed value when the window loses the focus.
    void commitFocusedField();

    // Pages and their controls, named as everywhere in the product.
    QStackedWidget* Pages = nullptr;
    QWidget* ProjHeader = nullptr;
    QWidget* RXHeader = nullptr;
    QWidget* BG = nullptr;
    QWidget* Harm = nullptr;
    QWidget* Error = nullptr;
    QLabel* LError = nullptr;

    // "ProjHeader"
    QLineEdit* EdProjDescr = nullptr;
    QLabel* LMotionCount = nullptr;
    QLabel* LGroupCount = nullptr;
    QCheckBox* CBAdvOpt = nullptr;
    QLabel* LWarning = nullptr;
    QLabel* LOptSteps = nullptr;
    QLabel* LSamples = nullptr;
    QLabel* LStepWidth = nullptr;
    QSpinBox* SEdOptSteps = nullptr;
    QSpinBox* SEdSamples = nullptr;
    TRealEdit* REdStepWidth = nullptr;

    // "RXHeader"
    QLineEdit* EdShortName = nullptr;
    QSpinBox* SEdHarm = nullptr;
    TRealEdit* REdTheta = nullptr;
    TRealEdit* REdEtaMax = nullptr;
    QCheckBox* CBEtaVar = nullptr;
    TRealEdit* REdEtaVar = nullptr;
    QLabel* LEtaRes = nullptr;
    TRealEdit* REdExt = nullptr;
    QPushButton* BtOneOverK = nullptr;
    QPushButton* BtPercent = nullptr;
    QPushButton* BtPhase = nullptr;
    QPushButton* BtTest = nullptr;
    TRealEdit* REdTestTheta = nullptr;
    TRealEdit* REdTestEta = nullptr;
    QLabel* LCoefHeadline = nullptr;
    QLabel* LEtaHeadline = nullptr;
    QComboBox* CBResult = nullptr;
    QLabel* LDeriv = nullptr;
    QSpinBox* SEdDeriv = nullptr;
    QRadioButton* RBAbsSum = nullptr;
    QRadioButton* RBEuclid = nullptr;
    QTableWidget* SGCoef = nullptr;
    QAction* CopyValues = nullptr;
    QAction* SaveValues = nullptr;

    // "BG"
    QGroupBox* GBAngles = nullptr;
    QGroupBox* GBBounds = nullptr;
    QLabel* LCapPhiMax = nullptr;
    QComboBox* CBOrd = nullptr;
    QRadioButton* RBPoint = nullptr;
    QRadioButton* RBRange = nullptr;
    TRealEdit* REdPhiMinVar = nullptr;
    TRealEdit* REdPhiMin = nullptr;
    TRealEdit* REdPhiMax = nullptr;
    TRealEdit* REdPhiMaxVar = nullptr;
    QLabel* LPhiRange = nullptr;
    QLabel* LPhiPoint = nullptr;
    QCheckBox* CBPhiMinVar = nullptr;
    QCheckBox* CBPhiMaxVar = nullptr;
    QCheckBox* CBShift = nullptr;
    QLabel* LShift1 = nullptr;
    QLabel* LShiftIdx1 = nullptr;
    QLabel* LShiftDots1 = nullptr;
    QLabel* LShift2 = nullptr;
    QLabel* LShiftIdx2 = nullptr;
    QLabel* LShiftDots2 = nullptr;
    TRealEdit* REdShift1 = nullptr;
    TRealEdit* REdShift2 = nullptr;
    TRealEdit* REdShift3 = nullptr;
    TRealEdit* REdShift4 = nullptr;
    QCheckBox* CBLower = nullptr;
    QCheckBox* CBLowerVar = nullptr;
    QCheckBox* CBUpper = nullptr;
    QCheckBox* CBUpperVar = nullptr;
    TRealEdit* REdLower = nullptr;
    TRealEdit* REdLowerVar = nullptr;
    TRealEdit* REdUpperVar = nullptr;
    TRealEdit* REdUpper = nullptr;
    QLabel* LLowerSign = nullptr;
    QLabel* LQuantity = nullptr;
    QLabel* LUpperSign = nullptr;
    QPushButton* BtUndoBG = nullptr;

    // "Harm"
    QRadioButton* RBSum = nullptr;
    QRadioButton* RBSingle = nullptr;
    ClickableLabel* ImgSum = nullptr;
    ClickableLabel* ImgSingle = nullptr;
    QLabel* LP = nullptr;
    QLabel* LPDeriv = nullptr;
    QSpinBox* SEdP = nullptr;
    QLabel* LK = nullptr;
    QLabel* LKOrder = nullptr;
    QSpinBox* SEdK = nullptr;
    TRealEdit* REdC = nullptr;
    TRealEdit* REdCVar = nullptr;
    QCheckBox* CBCVar = nullptr;
    QPushButton* BtUndoHarm = nullptr;

    // Handlers that do more than store one field.
    void CBShiftClick(bool checked);
    void BtUndoBGClick();
    void BtUndoHarmClick();
    void BtOneOverKClick();
    void BtPercentClick();
    void BtPhaseClick();
    void BtTestClick();
    void CopyValuesClick();
    void SaveValuesClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildProjectPage();
    void buildMotionPage();
    void buildBGPage();
    void buildHarmPage();
    void showPage(EditorPage page);
    void fillProjectPage(TProject& p);
    void fillMotionPage(TRXHeader& m);
    void fillBGPage(TRestr& r);
    void fillHarmPage(TRestr& r);
    void setUndoEnabled(bool on);
    void updateUnitButtons();
    // Tooltips: every named control's general text (r = nullptr), or the
    // texts of page's controls that follow the restriction shown.
    void applyFieldHelp(const TRestr* r, QWidget* page = nullptr);
    // A small caption under field, greyed out with it.
    QLabel* addCaption(QWidget* parent, QWidget* field, const char* text);
    void updateCaptions();
    void placeBesideMainWindow();

    // Wiring: every store runs only on its own page and, for clicks and
    // changes, never while the controls are being filled.
    void onReal(TRealEdit* edit, EditorPage page, std::function<void(TNLMember&, double)> store);
    void onToggle(QAbstractButton* button, EditorPage page, std::function<void(TNLMember&, bool)> store);
    void onSpin(QSpinBox* spin, EditorPage page, std::function<void(TNLMember&, int)> store);
    void onText(QLineEdit* edit, EditorPage page, std::function<void(TNLMember&, const std::string&)> store);
    void storeDescription(const std::string& text, EditorPage page);

    TDlgMain& main_;
    EditorSession session_;
    OptimisationObjectChooser* chooser_ = nullptr;
    EditorPage page_ = EditorPage::Error;
    std::vector<std::string> gridText_;
    int kWidth_ = 7;
    // What committing the focused field means, per field.
    QHash<QWidget*, std::function<void()>> exitHandlers_;
    // Captions under fields that have no caption of their own, and their fields.
    std::vector<std::pair<QLabel*, QWidget*>> captions_;
};

} // namespace vemra
