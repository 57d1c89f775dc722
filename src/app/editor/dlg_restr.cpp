// The frame of the editor window: selection, the update cycle, the wiring of
// the stores, placement, the commit on deactivation, and the project page.
#include "dlg_restr.h"

#include "real_edit.h"

#include "app/computation_controller.h"
#include "app/dlg_main.h"
#include "app/window_layout.h"

#include "editor/field_help.h"
#include "model/numeric.h"
#include "model/tree_ops.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vemra {

TDlgRestr::TDlgRestr(TDlgMain& main)
    : QWidget(&main, Qt::Tool), main_(main), session_(main.workspace(), *this)
{
    setObjectName(QStringLiteral("TDlgRestr"));
    setWindowTitle(QStringLiteral("Eingabe"));

    auto* layout = new QVBoxLayout(this);
    Pages = new QStackedWidget(this);
    layout->addWidget(Pages);

    buildProjectPage();
    buildMotionPage();
    buildBGPage();
    buildHarmPage();
    Error = new QWidget(Pages);
    Error->setObjectName(QStringLiteral("Error"));
    auto* errorLayout = new QVBoxLayout(Error);
    LError = new QLabel(Error);
    LError->setObjectName(QStringLiteral("LError"));
    LError->setAlignment(Qt::AlignCenter);
    LError->setWordWrap(true);
    errorLayout->addWidget(LError);
    Pages->addWidget(Error);
    applyFieldHelp(nullptr);

    showPage(EditorPage::Error);
    resize(560, 600);
}

TDlgRestr::~TDlgRestr()
{
    // Closing the window as it goes moves the focus out of a field, whose
    // store handler would then reach a node of a tree that may be gone
    // already (the main window's members go before its child windows).
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

// --- selection and update cycle ----------------------------------------------------

void TDlgRestr::SetObject(TreeItem* item)
{
    session_.setObject(item);
    if (dynamic_cast<TRXHeader*>(Node()))
        FillCoefficientGrid();
    session_.Loading = true;
    {
        auto loaded = qScopeGuard([this] { session_.Loading = false; });
        UpdateControls();
    }
    setUndoEnabled(false);
}

void TDlgRestr::ClearObject()
{
    session_.clearObject();
    FillCoefficientGrid();
    UpdateControls();
}

void TDlgRestr::UpdateControls()
{
    if (Updating)
        return;
    Updating = true;
    auto done = qScopeGuard([this] { Updating = false; });

    TNLMember* node = Node();
    if (!node) {
        setWindowTitle(QStringLiteral("Eingabe"));
        showPage(EditorPage::Error);
        LError->clear();
        setUndoEnabled(true);
        return;
    }
    const ChangeState change = session_.detectChange();
    const PageChoice choice = pageFor(node);
    showPage(choice.page);
    LError->setText(QString::fromStdString(choice.errorText));
    switch (choice.page) {
    case EditorPage::ProjHeader: fillProjectPage(*static_cast<TProject*>(node)); break;
    case EditorPage::RXHeader: fillMotionPage(*static_cast<TRXHeader*>(node)); break;
    case EditorPage::BG: fillBGPage(*static_cast<TRestr*>(node)); break;
    case EditorPage::Harm: fillHarmPage(*static_cast<TRestr*>(node)); break;
    case EditorPage::Error: break;
    }
    const EditorSession::Outcome outcome = session_.finishUpdate(change);
    if (outcome.fillGrid)
        FillCoefficientGrid();
    setWindowTitle(QString::fromStdString(choice.caption) + (outcome.valid ? QString() : QString::fromLatin1(ValidityMark)));
    setUndoEnabled(true);
}

void TDlgRestr::showPage(EditorPage page)
{
    page_ = page;
    QWidget* w = page == EditorPage::ProjHeader ? ProjHeader
        : page == EditorPage::RXHeader         ? RXHeader
        : page == EditorPage::BG               ? BG
        : page == EditorPage::Harm             ? Harm
                                               : Error;
    Pages->setCurrentWidget(w);
}

void TDlgRestr::setUndoEnabled(bool on)
{
    BtUndoBG->setEnabled(on);
    BtUndoHarm->setEnabled(on);
}

// --- what the fields hold ------------------------------------------------------------

void TDlgRestr::applyFieldHelp(const TRestr* r, QWidget* page)
{
    const auto apply = [r](QWidget* w) {
        const std::string help = fieldHelp(w->objectName().toStdString(), r);
        if (!help.empty())
            w->setToolTip(QString::fromStdString(help));
    };
    if (!r) {
        for (QWidget* w : findChildren<QWidget*>())
            apply(w);
        return;
    }
    for (const std::string& name : restrictionDependentFields())
        if (auto* w = (page ? page : this)->findChild<QWidget*>(QString::fromStdString(name)))
            apply(w);
}

QLabel* TDlgRestr::addCaption(QWidget* parent, QWidget* field, const char* text)
{
    auto* caption = new QLabel(QString::fromUtf8(text), parent);
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    caption->setFont(small);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    captions_.emplace_back(caption, field);
    return caption;
}

void TDlgRestr::updateCaptions()
{
    for (const auto& [caption, field] : captions_)
        caption->setEnabled(field->isEnabled());
}

// --- what the program hears ----------------------------------------------------------

void TDlgRestr::redrawDiagramsOf(TreeItem* item)
{
    main_.MarkDiagrams(item, true);
}

void TDlgRestr::regenerateReportsOf(TreeItem* item)
{
    main_.RegenerateReports(item);
}

void TDlgRestr::setCalcEnabled(bool enabled)
{
    // Between the projects of a batch the command stays off.
    const bool batch = main_.computation() && main_.computation()->BatchMode();
    main_.Calc->setEnabled(enabled && !batch);
}

// --- wiring ------------------------------------------------------------------------

void TDlgRestr::onReal(TRealEdit* edit, EditorPage page, std::function<void(TNLMember&, double)> store)
{
    auto handler = [this, edit, page, store] {
        if (page_ != page || !Node())
            return;
        store(*Node(), static_cast<double>(edit->Value()));
        UpdateControls();
    };
    connect(edit, &TRealEdit::exited, this, handler);
    connect(edit, &TRealEdit::enterPressed, this, handler);
    exitHandlers_.insert(edit, [edit, handler] {
        // A text that is no number stays where it is, unstored.
        if (edit->Validate())
            handler();
    });
}

void TDlgRestr::onToggle(QAbstractButton* button, EditorPage page, std::function<void(TNLMember&, bool)> store)
{
    connect(button, &QAbstractButton::toggled, this, [this, page, store](bool on) {
        if (Updating || page_ != page || !Node())
            return;
        store(*Node(), on);
        UpdateControls();
    });
}

void TDlgRestr::onSpin(QSpinBox* spin, EditorPage page, std::function<void(TNLMember&, int)> store)
{
    // The value counts when the user is done with it (Enter, leaving the
    // field, the arrows), not at every digit typed.
    spin->setKeyboardTracking(false);
    connect(spin, &QSpinBox::valueChanged, this, [this, page, store](int value) {
        if (Updating || page_ != page || !Node())
            return;
        store(*Node(), value);
        UpdateControls();
    });
    exitHandlers_.insert(spin, [spin] { spin->interpretText(); });
}

void TDlgRestr::onText(QLineEdit* edit, EditorPage page, std::function<void(TNLMember&, const std::string&)> store)
{
    auto handler = [this, edit, page, store] {
        if (page_ != page || !Node())
            return;
        store(*Node(), edit->text().toStdString());
    };
    connect(edit, &QLineEdit::editingFinished, this, handler);
    exitHandlers_.insert(edit, handler);
}

void TDlgRestr::storeDescription(const std::string& text, EditorPage page)
{
    TNLMember* node = Node();
    std::string* field = nullptr;
    if (auto* p = dynamic_cast<TProject*>(node); p && page == EditorPage::ProjHeader)
        field = &p->Description;
    else if (auto* m = dynamic_cast<TRXHeader*>(node); m && page == EditorPage::RXHeader)
        field = &m->ShortName;
    const std::string cut = cut255(text);
    if (!field || *field == cut)
        return;
    *field = cut;
    // A description changes no result, but it is part of the file.
    TreeItem* projectItem = ProjectOf(TreeNode());
    if (auto* p = projectItem ? projectItem->NodeAs<TProject>() : nullptr) {
        p->Unsaved = true;
        main_.workspace().events().projectStateChanged(projectItem);
    }
    regenerateReportsOf(TreeNode());
}

void TDlgRestr::commitFocusedField()
{
    QWidget* focused = focusWidget();
    if (!focused || !focused->isVisible())
        return;
    const auto it = exitHandlers_.constFind(focused);
    if (it != exitHandlers_.constEnd())
        (*it)();
}

// --- window ------------------------------------------------------------------------

void TDlgRestr::showEditor()
{
    // Placed before it is mapped, so that the window manager takes the
    // position as the program's own.
    if (!isVisible()) {
        placeBesideMainWindow();
        // Beside the main window, but never beyond the screen's free area.
        fitToAvailableArea(*this);
    }
    show();
}

void TDlgRestr::commitInput()
{
    if (isActiveWindow())
        commitFocusedField();
}

void TDlgRestr::bringToFront()
{
    raise();
    activateWindow();
}

void TDlgRestr::placeBesideMainWindow()
{
    // A window never shown has its final size only once its layout ran.
    if (layout())
        layout()->activate();
    const QRect mainRect = main_.frameGeometry();
    QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    const int ownWidth = frameGeometry().width();
    int left = mainRect.left() + mainRect.width() + 20;
    if (left + ownWidth > area.right()) {
        left = mainRect.left() - ownWidth - 20;
        if (left < 0)
            left = area.width() - ownWidth - 20;
    }
    move(left, mainRect.top() + 20);
}

void TDlgRestr::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateUnitButtons();
}

void TDlgRestr::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The user went to another window: a value being typed is kept.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        commitFocusedField();
}

// --- project page ------------------------------------------------------------------

void TDlgRestr::buildProjectPage()
{
    ProjHeader = new QWidget(Pages);
    ProjHeader->setObjectName(QStringLiteral("ProjHeader"));
    auto* layout = new QVBoxLayout(ProjHeader);

    auto* top = new QFormLayout;
    EdProjDescr = new QLineEdit(ProjHeader);
    EdProjDescr->setObjectName(QStringLiteral("EdProjDescr"));
    top->addRow(QStringLiteral("Beschreibung:"), EdProjDescr);
    LMotionCount = new QLabel(ProjHeader);
    LMotionCount->setObjectName(QStringLiteral("LMotionCount"));
    LGroupCount = new QLabel(ProjHeader);
    LGroupCount->setObjectName(QStringLiteral("LGroupCount"));
    top->addRow(QStringLiteral("Anzahl der Bewegungsgesetze:"), LMotionCount);
    top->addRow(QStringLiteral("Objekte für globale Optimierung:"), LGroupCount);
    layout->addLayout(top);

    CBAdvOpt = new QCheckBox(QStringLiteral("erweiterte Einstellungen "), ProjHeader);
    CBAdvOpt->setObjectName(QStringLiteral("CBAdvOpt"));
    layout->addSpacing(12);
    layout->addWidget(CBAdvOpt);
    auto* frame = new QFrame(ProjHeader);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* advanced = new QFormLayout(frame);
    LWarning = new QLabel(QString::fromUtf8(AdvancedWarningText), frame);
    LWarning->setWordWrap(true);
    QPalette warning = LWarning->palette();
    warning.setColor(QPalette::WindowText, warning.color(QPalette::Highlight));
    LWarning->setPalette(warning);
    advanced->addRow(LWarning);

    using L = AdvancedLimits;
    SEdOptSteps = new QSpinBox(frame);
    SEdOptSteps->setObjectName(QStringLiteral("SEdOptSteps"));
    SEdOptSteps->setRange(L::StepsMin, L::StepsMax);
    SEdOptSteps->setValue(L::StepsDefault);
    SEdSamples = new QSpinBox(frame);
    SEdSamples->setObjectName(QStringLiteral("SEdSamples"));
    SEdSamples->setRange(L::SamplesMin, L::SamplesMax);
    SEdSamples->setValue(L::SamplesDefault);
    REdStepWidth = new TRealEdit(frame);
    REdStepWidth->setObjectName(QStringLiteral("REdStepWidth"));
    REdStepWidth->setValueMax(L::WidthMax);
    REdStepWidth->setValueMin(L::WidthMin);
    REdStepWidth->setValue(L::WidthDefault);
    LOptSteps = new QLabel(QStringLiteral("Optimierungsschritte:"), frame);
    LSamples = new QLabel(QStringLiteral("Proben pro Optimierungsschritt:"), frame);
    LStepWidth = new QLabel(QStringLiteral("Suchschrittweite:"), frame);
    advanced->addRow(LOptSteps, SEdOptSteps);
    advanced->addRow(LSamples, SEdSamples);
    advanced->addRow(LStepWidth, REdStepWidth);
    layout->addWidget(frame);
    layout->addStretch();
    Pages->addWidget(ProjHeader);

    const auto P = EditorPage::ProjHeader;
    onText(EdProjDescr, P, [this](TNLMember&, const std::string& t) { storeDescription(t, EditorPage::ProjHeader); });
    onToggle(CBAdvOpt, P, [](TNLMember& n, bool on) { static_cast<TProject&>(n).AdvancedSettings() = on ? 1 : 0; });
    onSpin(SEdOptSteps, P, [](TNLMember& n, int v) { static_cast<TProject&>(n).OptimisationSteps() = v; });
    onSpin(SEdSamples, P, [](TNLMember& n, int v) { static_cast<TProject&>(n).SamplesPerStep() = v; });
    onReal(REdStepWidth, P, [](TNLMember& n, double v) { static_cast<TProject&>(n).StepWidth() = v; });
}

void TDlgRestr::fillProjectPage(TProject& p)
{
    EdProjDescr->setText(QString::fromStdString(p.Description));
    LMotionCount->setText(QString::number(p.MotionCount()));
    LGroupCount->setText(QString::number(p.GroupCount()));
    normaliseAdvancedSettings(p);
    const bool on = p.AdvancedSettings() != 0;
    CBAdvOpt->setChecked(on);
    for (QWidget* w : std::initializer_list<QWidget*>{LWarning, LOptSteps, LSamples, LStepWidth, SEdOptSteps,
                                                      SEdSamples, REdStepWidth})
        w->setEnabled(on);
    SEdOptSteps->setValue(p.OptimisationSteps());
    SEdSamples->setValue(p.SamplesPerStep());
    REdStepWidth->setValue(p.StepWidth());
}

} // namespace vemra
