// The motion definition page of the editor: harmonics, frequency ratio and
// damping, the unit buttons, the test computation and the coefficient grid.
#include "dlg_restr.h"

#include "real_edit.h"
#include "symbol_text.h"

#include "app/computation_controller.h"
#include "app/dlg_main.h"

#include "formats/file_io.h"
#include "model/numeric.h"
#include "model/save_dialog_memory.h"
#include "model/tree_ops.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vemra {

namespace {

TRealEdit* unitField(QWidget* parent, const char* name, long double max)
{
    auto* e = new TRealEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setValueMax(max);
    e->setValueMin(0);
    e->setValue(0);
    return e;
}

QLabel* symbolLabel(QWidget* parent, const char* latin, const QString& unicode)
{
    auto* l = new QLabel(parent);
    setSymbolText(l, latin, unicode);
    return l;
}

// The value a field shows without taking it (no clamping, no rewrite of a
// text that is still being typed).
double shownValue(const TRealEdit* e)
{
    return static_cast<double>(parseFieldNumber(e->text().toStdString()).value_or(0));
}

} // namespace

void TDlgRestr::buildMotionPage()
{
    RXHeader = new QWidget(Pages);
    RXHeader->setObjectName(QStringLiteral("RXHeader"));
    auto* layout = new QVBoxLayout(RXHeader);

    auto* top = new QGridLayout;
    EdShortName = new QLineEdit(RXHeader);
    EdShortName->setObjectName(QStringLiteral("EdShortName"));
    top->addWidget(new QLabel(QStringLiteral("Beschreibung:"), RXHeader), 0, 0);
    top->addWidget(EdShortName, 0, 1, 1, 6);

    SEdHarm = new QSpinBox(RXHeader);
    SEdHarm->setObjectName(QStringLiteral("SEdHarm"));
    SEdHarm->setRange(1, 59);
    top->addWidget(new QLabel(QStringLiteral("K "), RXHeader), 1, 0, Qt::AlignRight);
    top->addWidget(SEdHarm, 1, 1);
    REdTheta = unitField(RXHeader, "REdTheta", 1);
    top->addWidget(symbolLabel(RXHeader, "q", QStringLiteral("θ")), 1, 2, Qt::AlignRight);
    top->addWidget(REdTheta, 1, 3);

    REdEtaMax = unitField(RXHeader, "REdEtaMax", 1);
    CBEtaVar = new QCheckBox(QStringLiteral("variabel"), RXHeader);
    CBEtaVar->setObjectName(QStringLiteral("CBEtaVar"));
    REdEtaVar = unitField(RXHeader, "REdEtaVar", 1);
    top->addWidget(symbolLabel(RXHeader, "h", QStringLiteral("η")), 2, 0, Qt::AlignRight);
    top->addWidget(REdEtaMax, 2, 1);
    top->addWidget(CBEtaVar, 2, 2);
    top->addWidget(REdEtaVar, 2, 3);
    auto* res = new QHBoxLayout;
    res->addWidget(symbolLabel(RXHeader, "h", QStringLiteral("η")));
    auto* resIndex = new QLabel(QStringLiteral("res"), RXHeader);
    res->addWidget(resIndex);
    res->addWidget(new QLabel(QStringLiteral("="), RXHeader));
    LEtaRes = new QLabel(RXHeader);
    LEtaRes->setObjectName(QStringLiteral("LEtaRes"));
    res->addWidget(LEtaRes);
    res->addStretch();
    top->addLayout(res, 2, 4, 1, 3);

    top->addWidget(new QLabel(QStringLiteral("<<<"), RXHeader), 3, 2, Qt::AlignRight);
    REdExt = unitField(RXHeader, "REdExt", 100);
    top->addWidget(REdExt, 3, 3);
    BtOneOverK = new QPushButton(QStringLiteral("1/K"), RXHeader);
    BtPercent = new QPushButton(QStringLiteral("%V"), RXHeader);
    BtPhase = new QPushButton(RXHeader);
    setSymbolText(BtPhase, "\xB0j", QStringLiteral("°φ"));
    BtOneOverK->setObjectName(QStringLiteral("BtOneOverK"));
    BtPercent->setObjectName(QStringLiteral("BtPercent"));
    BtPhase->setObjectName(QStringLiteral("BtPhase"));
    top->addWidget(BtOneOverK, 3, 4);
    top->addWidget(BtPercent, 3, 5);
    top->addWidget(BtPhase, 3, 6);
    layout->addLayout(top);

    auto* test = new QGroupBox(RXHeader);
    auto* testLayout = new QHBoxLayout(test);
    BtTest = new QPushButton(QStringLiteral("Test"), test);
    BtTest->setObjectName(QStringLiteral("BtTest"));
    REdTestTheta = new TRealEdit(test);
    REdTestTheta->setObjectName(QStringLiteral("REdTestTheta"));
    REdTestEta = new TRealEdit(test);
    REdTestEta->setObjectName(QStringLiteral("REdTestEta"));
    REdTestTheta->setValue(0);
    REdTestEta->setValue(0);
    testLayout->addWidget(BtTest);
    testLayout->addWidget(symbolLabel(test, "q", QStringLiteral("θ")));
    testLayout->addWidget(REdTestTheta);
    testLayout->addWidget(symbolLabel(test, "h", QStringLiteral("η")));
    testLayout->addWidget(REdTestEta);
    layout->addWidget(test);

    auto* headline = new QHBoxLayout;
    LCoefHeadline = new QLabel(QStringLiteral("Fourierkoeffizienten"), RXHeader);
    QFont bold = LCoefHeadline->font();
    bold.setBold(true);
    LCoefHeadline->setFont(bold);
    LEtaHeadline = new QLabel(RXHeader);
    LEtaHeadline->setObjectName(QStringLiteral("LEtaHeadline"));
    headline->addWidget(LCoefHeadline);
    headline->addWidget(LEtaHeadline);
    headline->addStretch();
    layout->addLayout(headline);

    auto* selectors = new QHBoxLayout;
    CBResult = new QComboBox(RXHeader);
    CBResult->setObjectName(QStringLiteral("CBResult"));
    CBResult->addItems({QStringLiteral("Bewegungsgesetz (s)"), QStringLiteral("Abtriebsbewegung (q)"),
                        QStringLiteral("Antriebsmoment (M)")});
    LDeriv = new QLabel(QStringLiteral("Ableitung:"), RXHeader);
    SEdDeriv = new QSpinBox(RXHeader);
    SEdDeriv->setObjectName(QStringLiteral("SEdDeriv"));
    SEdDeriv->setRange(0, 3);
    RBAbsSum = new QRadioButton(QStringLiteral("|s_k| + |c_k|"), RXHeader);
    RBAbsSum->setObjectName(QStringLiteral("RBAbsSum"));
    RBEuclid = new QRadioButton(QStringLiteral("(s_k²+c_k²)^½"), RXHeader);
    RBEuclid->setObjectName(QStringLiteral("RBEuclid"));
    RBAbsSum->setChecked(true);
    selectors->addWidget(CBResult);
    selectors->addWidget(LDeriv);
    selectors->addWidget(SEdDeriv);
    selectors->addWidget(RBAbsSum);
    selectors->addWidget(RBEuclid);
    selectors->addStretch();
    layout->addLayout(selectors);

    SGCoef = new QTableWidget(RXHeader);
    SGCoef->setObjectName(QStringLiteral("SGCoef"));
    SGCoef->setColumnCount(4);
    SGCoef->verticalHeader()->hide();
    SGCoef->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGCoef->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    SGCoef->setTextElideMode(Qt::ElideNone);
    const QFontMetrics grid(SGCoef->font());
    kWidth_ = std::max(1, grid.horizontalAdvance(QLatin1Char('k')));
    SGCoef->verticalHeader()->setDefaultSectionSize(grid.height() + 6);
    SGCoef->setColumnWidth(0, 35);
    for (int c = 1; c < 4; ++c)
        SGCoef->setColumnWidth(c, 100);
    SGCoef->setContextMenuPolicy(Qt::ActionsContextMenu);
    CopyValues = new QAction(QStringLiteral("Werte kopieren"), SGCoef);
    CopyValues->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CopyValues->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    SaveValues = new QAction(QStringLiteral("Werte sichern..."), SGCoef);
    SGCoef->addAction(CopyValues);
    SGCoef->addAction(SaveValues);
    layout->addWidget(SGCoef, 1);
    Pages->addWidget(RXHeader);

    const auto R = EditorPage::RXHeader;
    onText(EdShortName, R, [this](TNLMember&, const std::string& t) { storeDescription(t, EditorPage::RXHeader); });
    onSpin(SEdHarm, R, [](TNLMember& n, int v) { static_cast<TRXHeader&>(n).Harmonics() = v; });
    onReal(REdEtaMax, R, [](TNLMember& n, double v) { static_cast<TRXHeader&>(n).EtaMax() = v; });
    onReal(REdEtaVar, R, [](TNLMember& n, double v) { static_cast<TRXHeader&>(n).EtaLimit() = v; });
    onReal(REdTheta, R, [](TNLMember& n, double v) { static_cast<TRXHeader&>(n).Theta() = v; });
    onToggle(CBEtaVar, R, [](TNLMember& n, bool on) { static_cast<TRXHeader&>(n).EtaVariable() = on ? 1 : 0; });

    // The test fields follow the fields they test.
    connect(REdEtaVar, &QLineEdit::textChanged, this, [this] { REdTestEta->setValue(shownValue(REdEtaVar)); });
    connect(REdTheta, &QLineEdit::textChanged, this, [this] { REdTestTheta->setValue(shownValue(REdTheta)); });
    connect(REdExt, &QLineEdit::textChanged, this, [this] { updateUnitButtons(); });
    connect(BtOneOverK, &QPushButton::clicked, this, [this] { BtOneOverKClick(); });
    connect(BtPercent, &QPushButton::clicked, this, [this] { BtPercentClick(); });
    connect(BtPhase, &QPushButton::clicked, this, [this] { BtPhaseClick(); });
    connect(BtTest, &QPushButton::clicked, this, [this] { BtTestClick(); });

    connect(CBResult, &QComboBox::currentIndexChanged, this, [this] { FillCoefficientGrid(); });
    connect(SEdDeriv, &QSpinBox::valueChanged, this, [this] { FillCoefficientGrid(); });
    connect(RBAbsSum, &QRadioButton::toggled, this, [this] { FillCoefficientGrid(); });
    connect(CopyValues, &QAction::triggered, this, [this] { CopyValuesClick(); });
    connect(SaveValues, &QAction::triggered, this, [this] { SaveValuesClick(); });
}

void TDlgRestr::fillMotionPage(TRXHeader& m)
{
    EdShortName->setText(QString::fromStdString(m.ShortName));
    const int32_t maxK = maxHarmonics(ProjectOf(TreeNode()), m);
    SEdHarm->setRange(1, maxK);
    if (m.Harmonics() > maxK)
        m.Harmonics() = maxK;
    SEdHarm->setValue(m.Harmonics());

    REdEtaMax->setValue(m.EtaMax());
    const bool variable = m.EtaVariable() != 0;
    CBEtaVar->setChecked(variable);
    REdEtaVar->setEnabled(variable);
    REdEtaVar->setValue(variable ? m.EtaLimit() : 0);
    REdExt->setEnabled(variable);
    updateUnitButtons();
    REdTheta->setValue(m.Theta());

    const double res = etaRes(m);
    LEtaRes->setText(QString::fromStdString(FormatSig(4, res)));
    QPalette palette = LEtaRes->palette();
    palette.setColor(QPalette::WindowText, etaResWarns(res) ? QColor(255, 0, 0) : this->palette().color(QPalette::WindowText));
    LEtaRes->setPalette(palette);
}

void TDlgRestr::updateUnitButtons()
{
    const UnitButtons b = unitButtonsFor(shownValue(REdExt));
    const bool variable = CBEtaVar->isChecked();
    BtOneOverK->setEnabled(variable && b.oneOverK);
    BtPercent->setEnabled(variable && b.percent);
    BtPhase->setEnabled(variable && b.phase);
}

void TDlgRestr::BtOneOverKClick()
{
    REdEtaVar->setValue(etaOneOverK(SEdHarm->value()));
    exitHandlers_.value(REdEtaVar)();
}

void TDlgRestr::BtPercentClick()
{
    REdEtaVar->setValue(etaFromPercent(static_cast<double>(REdExt->Value()), static_cast<double>(REdTheta->Value()),
                                       SEdHarm->value()));
    exitHandlers_.value(REdEtaVar)();
}

void TDlgRestr::BtPhaseClick()
{
    const double v = static_cast<double>(REdExt->Value());
    const PhaseSearch s = etaFromPhase(v, static_cast<double>(REdTheta->Value()), SEdHarm->value());
    if (!s.converged) {
        main_.workspace().dialogs().information(phaseNotReachedText(v));
        return;
    }
    REdEtaVar->setValue(s.eta);
    exitHandlers_.value(REdEtaVar)();
}

void TDlgRestr::BtTestClick()
{
    auto* m = dynamic_cast<TRXHeader*>(Node());
    TreeItem* item = TreeNode();
    auto* project = ProjectNodeOf(item);
    ComputationController* computation = main_.computation();
    if (!m || !project || !computation)
        return;
    m->TestEta = static_cast<double>(REdTestEta->Value());
    m->TestTheta = static_cast<double>(REdTestTheta->Value());
    project->TestRun = true;
    auto cleared = qScopeGuard([project] { project->TestRun = false; });
    computation->computation().RunComputation(item);
}

// --- coefficient grid --------------------------------------------------------------

void TDlgRestr::FillCoefficientGrid()
{
    auto* m = dynamic_cast<TRXHeader*>(Node());
    const bool shown = m && m->HasResult;
    for (QWidget* w : std::initializer_list<QWidget*>{SGCoef, LCoefHeadline, LEtaHeadline, CBResult, LDeriv, SEdDeriv,
                                                      RBAbsSum, RBEuclid})
        w->setVisible(shown);
    if (!shown) {
        gridText_.clear();
        return;
    }
    const auto source = static_cast<CoefficientSource>(std::clamp(CBResult->currentIndex(), 0, 2));
    {
        // The torque term has no derivative.
        const QSignalBlocker quiet(SEdDeriv);
        if (source == CoefficientSource::M)
            SEdDeriv->setValue(0);
        SEdDeriv->setEnabled(source != CoefficientSource::M);
    }
    const CoefficientTable t = coefficientTable(*m, source, SEdDeriv->value(),
                                                RBAbsSum->isChecked() ? Magnitude::AbsSum : Magnitude::Euclid);

    QStringList headers;
    for (const std::string& h : t.headers)
        headers << QString::fromStdString(h);
    SGCoef->setHorizontalHeaderLabels(headers);
    SGCoef->setRowCount(static_cast<int>(t.rows.size()));
    size_t widest = 0;
    for (const auto& row : t.rows)
        for (size_t c = 1; c < 4; ++c)
            widest = std::max(widest, row[c].size());
    // Room for the widest aligned number and the cell's margins.
    const int numberWidth = std::max(100, static_cast<int>(widest + 4) * kWidth_);
    for (int c = 1; c < 4; ++c)
        SGCoef->setColumnWidth(c, numberWidth);
    const QColor colour = m->ResultValid ? palette().color(QPalette::Text) : QColor(Qt::gray);
    for (int r = 0; r < static_cast<int>(t.rows.size()); ++r)
        for (int c = 0; c < 4; ++c) {
            const int width = c == 0 ? 35 : numberWidth;
            auto* cell = new QTableWidgetItem(
                QString::fromStdString(centredText(t.rows[static_cast<size_t>(r)][static_cast<size_t>(c)], width, kWidth_)));
            cell->setForeground(colour);
            SGCoef->setItem(r, c, cell);
        }
    setSymbolText(LEtaHeadline, ("(h =" + t.eta + ")").c_str(), QStringLiteral("(η =") + QString::fromStdString(t.eta) + ")");
    gridText_ = t.lines;
}

void TDlgRestr::CopyValuesClick()
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(clipboardText(gridText_)));
}

void TDlgRestr::SaveValuesClick()
{
    FileDialogRequest request;
    request.save = true;
    request.title = CoefficientSaveTitle;
    request.filters = {{"Textdatei (*.tab)", "*.tab"}, {"alle Dateien (*.*)", "*.*"}};
    request.defaultExtension = "tab";
    request.confirmOverwrite = true;
    request.initialDirectory = projectFolderOf(TreeNode());
    request.placeKey = CoefficientsPlace;
    UserDialogs& dialogs = main_.workspace().dialogs();
    const std::optional<std::string> file = dialogs.chooseFile(request);
    if (!file)
        return;
    if (const auto error = replaceFile(*file, tableFileText(gridText_)))
        dialogs.error(*error);
}

} // namespace vemra
