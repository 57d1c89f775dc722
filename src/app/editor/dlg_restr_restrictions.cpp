// The two restriction pages of the editor: "BG" for bounds on the motion at
// an angle or over an angle range (absolute or between two motions), with
// the link to an optimisation object, and "Harm" for bounds on the spectrum;
// each with its undo button.
#include "dlg_restr.h"

#include "clickable_label.h"
#include "real_edit.h"
#include "symbol_text.h"

#include "editor/field_help.h"
#include "editor/restriction_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vemra {

namespace {

TRealEdit* field(QWidget* parent, const char* name)
{
    auto* e = new TRealEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

void showState(TRealEdit* e, const FieldState& s)
{
    e->setEnabled(s.enabled);
    e->setValue(s.value);
}

void showState(QCheckBox* c, const CheckState& s)
{
    c->setEnabled(s.enabled);
    c->setChecked(s.checked);
}

// Gives up the choice when the program has no dialog for it.
struct NoChoice : OptimisationObjectChooser {
    std::optional<int> chooseOptimisationObject() override { return std::nullopt; }
};

TRestr& asRestr(TNLMember& n)
{
    return static_cast<TRestr&>(n);
}

} // namespace

void TDlgRestr::buildBGPage()
{
    BG = new QWidget(Pages);
    BG->setObjectName(QStringLiteral("BG"));
    auto* layout = new QVBoxLayout(BG);

    auto* kindRow = new QHBoxLayout;
    CBOrd = new QComboBox(BG);
    CBOrd->setObjectName(QStringLiteral("CBOrd"));
    CBOrd->addItems({QStringLiteral("0 - (Weg)"), QStringLiteral("1 - (Geschwindigkeit)"),
                     QStringLiteral("2 - (Beschleunigung)"), QStringLiteral("3 - (Ruck) ")});
    RBPoint = new QRadioButton(QStringLiteral("Punkt"), BG);
    RBPoint->setObjectName(QStringLiteral("RBPoint"));
    RBRange = new QRadioButton(QStringLiteral("Bereich"), BG);
    RBRange->setObjectName(QStringLiteral("RBRange"));
    kindRow->addWidget(new QLabel(QStringLiteral("Ordnung:"), BG));
    kindRow->addWidget(CBOrd);
    kindRow->addSpacing(20);
    kindRow->addWidget(RBPoint);
    kindRow->addWidget(RBRange);
    kindRow->addStretch();
    layout->addLayout(kindRow);

    auto* angles = new QGroupBox(QString::fromUtf8(AnglesTitle), BG);
    GBAngles = angles;
    auto* a = new QGridLayout(angles);
    CBPhiMinVar = checkBox(angles, "CBPhiMinVar", QStringLiteral("untere Schranke variabel"));
    CBPhiMaxVar = checkBox(angles, "CBPhiMaxVar", QStringLiteral("obere Schranke variabel"));
    REdPhiMinVar = field(angles, "REdPhiMinVar");
    REdPhiMin = field(angles, "REdPhiMin");
    REdPhiMax = field(angles, "REdPhiMax");
    REdPhiMaxVar = field(angles, "REdPhiMaxVar");
    LPhiRange = new QLabel(angles);
    setSymbolText(LPhiRange, "\xA3 j \xA3", QStringLiteral("≤ φ ≤"));
    LPhiPoint = new QLabel(angles);
    setSymbolText(LPhiPoint, "   j =", QStringLiteral("   φ ="));
    LPhiRange->setAlignment(Qt::AlignCenter);
    LPhiPoint->setAlignment(Qt::AlignCenter);
    a->addWidget(CBPhiMinVar, 0, 0, 1, 2);
    a->addWidget(CBPhiMaxVar, 0, 3, 1, 2, Qt::AlignRight);
    a->addWidget(REdPhiMinVar, 1, 0);
    a->addWidget(REdPhiMin, 1, 1);
    a->addWidget(LPhiRange, 1, 2);
    a->addWidget(LPhiPoint, 1, 2);
    a->addWidget(REdPhiMax, 1, 3);
    a->addWidget(REdPhiMaxVar, 1, 4);
    a->addWidget(addCaption(angles, REdPhiMinVar, MaximumCaption), 2, 0);
    a->addWidget(addCaption(angles, REdPhiMin, MinimumCaption), 2, 1);
    LCapPhiMax = addCaption(angles, REdPhiMax, MinimumCaption);
    a->addWidget(LCapPhiMax, 2, 3);
    a->addWidget(addCaption(angles, REdPhiMaxVar, MaximumCaption), 2, 4);

    CBShift = checkBox(angles, "CBShift", QStringLiteral("Verschiebung zulassen"));
    a->addWidget(CBShift, 3, 0, 1, 2);
    const auto shiftRow = [&](int row, QLabel*& name, QLabel*& index, const char* indexText, QLabel*& dots,
                              TRealEdit*& from, const char* fromName, TRealEdit*& to, const char* toName) {
        auto* label = new QHBoxLayout;
        name = new QLabel(angles);
        setSymbolText(name, "j", QStringLiteral("φ"));
        index = new QLabel(QString::fromLatin1(indexText), angles);
        QFont small = index->font();
        small.setPointSizeF(small.pointSizeF() * 0.75);
        index->setFont(small);
        index->setAlignment(Qt::AlignBottom);
        label->addStretch();
        label->addWidget(name);
        label->addWidget(index);
        label->addWidget(new QLabel(QStringLiteral(":"), angles));
        a->addLayout(label, row, 0);
        from = field(angles, fromName);
        dots = new QLabel(QStringLiteral(". . ."), angles);
        dots->setAlignment(Qt::AlignCenter);
        to = field(angles, toName);
        a->addWidget(from, row, 1);
        a->addWidget(dots, row, 2);
        a->addWidget(to, row, 3);
    };
    shiftRow(4, LShift1, LShiftIdx1, "u", LShiftDots1, REdShift1, "REdShift1", REdShift2, "REdShift2");
    shiftRow(5, LShift2, LShiftIdx2, "o", LShiftDots2, REdShift3, "REdShift3", REdShift4, "REdShift4");
    layout->addWidget(angles);

    auto* bounds = new QGroupBox(BG);
    GBBounds = bounds;
    auto* b = new QGridLayout(bounds);
    CBLower = checkBox(bounds, "CBLower", QStringLiteral("mit unterer Schranke"));
    CBLowerVar = checkBox(bounds, "CBLowerVar", QStringLiteral("untere Schranke variabel"));
    CBUpper = checkBox(bounds, "CBUpper", QStringLiteral("mit oberer Schranke"));
    CBUpperVar = checkBox(bounds, "CBUpperVar", QStringLiteral("obere Schranke variabel"));
    REdLower = field(bounds, "REdLower");
    REdLowerVar = field(bounds, "REdLowerVar");
    REdUpperVar = field(bounds, "REdUpperVar");
    REdUpper = field(bounds, "REdUpper");
    LLowerSign = new QLabel(bounds);
    setSymbolText(LLowerSign, "\xA3", QStringLiteral("≤"));
    LQuantity = new QLabel(QStringLiteral("s"), bounds);
    LQuantity->setObjectName(QStringLiteral("LQuantity"));
    LQuantity->setMinimumWidth(30);
    LQuantity->setAlignment(Qt::AlignCenter);
    LUpperSign = new QLabel(bounds);
    setSymbolText(LUpperSign, "\xA3", QStringLiteral("≤"));
    // Each bound's boxes stand above its two fields.
    b->addWidget(CBLower, 0, 0, 1, 2);
    b->addWidget(CBLowerVar, 1, 0, 1, 2);
    b->addWidget(CBUpper, 0, 5, 1, 2, Qt::AlignRight);
    b->addWidget(CBUpperVar, 1, 5, 1, 2, Qt::AlignRight);
    b->addWidget(REdLower, 2, 0);
    b->addWidget(REdLowerVar, 2, 1);
    b->addWidget(LLowerSign, 2, 2);
    b->addWidget(LQuantity, 2, 3);
    b->addWidget(LUpperSign, 2, 4);
    b->addWidget(REdUpperVar, 2, 5);
    b->addWidget(REdUpper, 2, 6);
    b->addWidget(addCaption(bounds, REdLower, MinimumCaption), 3, 0);
    b->addWidget(addCaption(bounds, REdLowerVar, MaximumCaption), 3, 1);
    b->addWidget(addCaption(bounds, REdUpperVar, MaximumCaption), 3, 5);
    b->addWidget(addCaption(bounds, REdUpper, MinimumCaption), 3, 6);
    layout->addWidget(bounds);

    BtUndoBG = new QPushButton(QStringLiteral("rückgängig"), BG);
    BtUndoBG->setObjectName(QStringLiteral("BtUndoBG"));
    auto* undoRow = new QHBoxLayout;
    undoRow->addStretch();
    undoRow->addWidget(BtUndoBG);
    layout->addLayout(undoRow);
    layout->addStretch();
    Pages->addWidget(BG);

    const auto P = EditorPage::BG;
    connect(CBOrd, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (Updating || page_ != EditorPage::BG || !session_.restriction() || index < 0)
            return;
        TRestr* r = session_.restriction();
        r->Kind() = kindWithOrder(r->Kind(), index);
        UpdateControls();
    });
    onToggle(RBPoint, P, [](TNLMember& n, bool on) {
        if (on)
            asRestr(n).Kind() = pointKindOf(asRestr(n).Kind());
    });
    onToggle(RBRange, P, [](TNLMember& n, bool on) {
        if (on)
            asRestr(n).Kind() = intervalKindOf(asRestr(n).Kind());
    });
    onToggle(CBPhiMinVar, P, [](TNLMember& n, bool on) { asRestr(n).PhiMinVar() = on ? 1 : 0; });
    onToggle(CBPhiMaxVar, P, [](TNLMember& n, bool on) { asRestr(n).PhiMaxVar() = on ? 1 : 0; });
    onReal(REdPhiMin, P, [](TNLMember& n, double v) { asRestr(n).PhiMin() = v; });
    onReal(REdPhiMinVar, P, [](TNLMember& n, double v) { asRestr(n).PhiMinLimit() = v; });
    onReal(REdPhiMax, P, [](TNLMember& n, double v) {
        // A point's one angle is shown in the upper field.
        TRestr& r = asRestr(n);
        (isPointKind(r.Kind()) ? r.Phi() : r.PhiMax()) = v;
    });
    onReal(REdPhiMaxVar, P, [](TNLMember& n, double v) { asRestr(n).PhiMaxLimit() = v; });
    onReal(REdShift1, P, [](TNLMember& n, double v) { asRestr(n).ShiftMinFrom() = v; });
    onReal(REdShift2, P, [](TNLMember& n, double v) { asRestr(n).ShiftMinTo() = v; });
    onReal(REdShift3, P, [](TNLMember& n, double v) { asRestr(n).ShiftMaxFrom() = v; });
    onReal(REdShift4, P, [](TNLMember& n, double v) { asRestr(n).ShiftMaxTo() = v; });
    onToggle(CBLower, P, [](TNLMember& n, bool on) { asRestr(n).LowerMode() = on ? 0 : -1; });
    onToggle(CBLowerVar, P, [](TNLMember& n, bool on) { asRestr(n).LowerMode() = on ? 1 : 0; });
    onToggle(CBUpper, P, [](TNLMember& n, bool on) { asRestr(n).UpperMode() = on ? 0 : -1; });
    onToggle(CBUpperVar, P, [](TNLMember& n, bool on) { asRestr(n).UpperMode() = on ? 1 : 0; });
    onReal(REdLower, P, [](TNLMember& n, double v) { asRestr(n).Lower() = v; });
    onReal(REdLowerVar, P, [](TNLMember& n, double v) { asRestr(n).LowerLimit() = v; });
    onReal(REdUpperVar, P, [](TNLMember& n, double v) { asRestr(n).UpperLimit() = v; });
    onReal(REdUpper, P, [](TNLMember& n, double v) { asRestr(n).Upper() = v; });
    connect(CBShift, &QCheckBox::toggled, this, [this](bool on) { CBShiftClick(on); });
    connect(BtUndoBG, &QPushButton::clicked, this, [this] { BtUndoBGClick(); });
}

void TDlgRestr::fillBGPage(TRestr& r)
{
    // The effective parameters follow a changed restriction; those a
    // computation returned for an unchanged one stay for the report.
    if (r.Modified)
        r.EffPar = r.RealPar;

    const BgPageState s = bgPageState(r);
    CBOrd->setCurrentIndex(s.order);
    RBPoint->setChecked(s.point);
    RBRange->setChecked(!s.point);
    showState(REdPhiMinVar, s.phiLowerVar);
    showState(REdPhiMin, s.phiLower);
    showState(REdPhiMax, s.phiUpper);
    showState(REdPhiMaxVar, s.phiUpperVar);
    showState(CBPhiMinVar, s.phiLowerVarCheck);
    showState(CBPhiMaxVar, s.phiUpperVarCheck);
    LPhiRange->setVisible(s.rangeLabel);
    LPhiPoint->setVisible(!s.rangeLabel);

    CBShift->setChecked(s.shift);
    for (QWidget* w : std::initializer_list<QWidget*>{LShift1, LShiftIdx1, LShiftDots1})
        w->setEnabled(s.shiftRow1);
    for (QWidget* w : std::initializer_list<QWidget*>{LShift2, LShiftIdx2, LShiftDots2})
        w->setEnabled(s.shiftRow2);
    LShiftIdx1->setVisible(s.shiftLowerIndex);
    showState(REdShift1, s.shift1);
    showState(REdShift2, s.shift2);
    showState(REdShift3, s.shift3);
    showState(REdShift4, s.shift4);

    showState(CBLower, s.withLower);
    showState(CBLowerVar, s.lowerVar);
    showState(CBUpper, s.withUpper);
    showState(CBUpperVar, s.upperVar);
    showState(REdLower, s.lower);
    showState(REdLowerVar, s.lowerVarValue);
    showState(REdUpper, s.upper);
    showState(REdUpperVar, s.upperVarValue);
    LLowerSign->setVisible(s.lowerSign);
    LUpperSign->setVisible(s.upperSign);
    LQuantity->setText(QString::fromStdString(s.quantity));

    GBBounds->setTitle(QString::fromStdString(boundsTitle(r.Kind())));
    LCapPhiMax->setText(QString::fromUtf8(s.point ? PointAngleCaption : MinimumCaption));
    updateCaptions();
    applyFieldHelp(&r, BG);
}

void TDlgRestr::CBShiftClick(bool checked)
{
    if (Updating || page_ != EditorPage::BG || !session_.restriction())
        return;
    if (!checked) {
        session_.unlinkRestriction();
        UpdateControls();
        return;
    }
    NoChoice none;
    if (session_.linkRestriction(chooser_ ? *chooser_ : static_cast<OptimisationObjectChooser&>(none))) {
        UpdateControls();
        return;
    }
    Updating = true;
    CBShift->setChecked(false);
    Updating = false;
}

void TDlgRestr::BtUndoBGClick()
{
    if (!session_.restriction())
        return;
    session_.undoRestriction();
    UpdateControls();
    SetObject(TreeNode());
    setUndoEnabled(false);
}

// --- spectrum page -----------------------------------------------------------------

void TDlgRestr::buildHarmPage()
{
    Harm = new QWidget(Pages);
    Harm->setObjectName(QStringLiteral("Harm"));
    auto* layout = new QVBoxLayout(Harm);
    auto* forms = new QGroupBox(Harm);
    auto* g = new QGridLayout(forms);

    RBSum = new QRadioButton(forms);
    RBSum->setObjectName(QStringLiteral("RBSum"));
    RBSingle = new QRadioButton(forms);
    RBSingle->setObjectName(QStringLiteral("RBSingle"));
    ImgSum = new ClickableLabel(forms);
    ImgSum->setObjectName(QStringLiteral("ImgSum"));
    ImgSum->setTextFormat(Qt::RichText);
    ImgSum->setText(QStringLiteral("<span style='font-size:large'>&sum;<sub>n</sub> n<sup>p</sup> "
                                   "(|s<sub>n</sub>| + |c<sub>n</sub>|) &le; c</span>"));
    ImgSingle = new ClickableLabel(forms);
    ImgSingle->setObjectName(QStringLiteral("ImgSingle"));
    ImgSingle->setTextFormat(Qt::RichText);
    ImgSingle->setText(QStringLiteral("<span style='font-size:large'>|s<sub>k</sub>| + |c<sub>k</sub>| &le; c</span>"));
    LPDeriv = new QLabel(QStringLiteral("Ableitung:"), forms);
    LP = new QLabel(QStringLiteral("p ="), forms);
    SEdP = new QSpinBox(forms);
    SEdP->setObjectName(QStringLiteral("SEdP"));
    SEdP->setRange(0, 3);
    LKOrder = new QLabel(QStringLiteral("Ordnung:"), forms);
    LK = new QLabel(QStringLiteral("k ="), forms);
    SEdK = new QSpinBox(forms);
    SEdK->setObjectName(QStringLiteral("SEdK"));
    SEdK->setRange(1, 1);
    g->addWidget(RBSum, 0, 0);
    g->addWidget(ImgSum, 0, 1);
    g->addWidget(LPDeriv, 0, 2);
    g->addWidget(LP, 0, 3);
    g->addWidget(SEdP, 0, 4);
    g->addWidget(RBSingle, 1, 0);
    g->addWidget(ImgSingle, 1, 1);
    g->addWidget(LKOrder, 1, 2);
    g->addWidget(LK, 1, 3);
    g->addWidget(SEdK, 1, 4);
    g->setColumnStretch(1, 1);
    layout->addWidget(forms);

    auto* bound = new QGridLayout;
    REdC = field(Harm, "REdC");
    REdCVar = field(Harm, "REdCVar");
    for (TRealEdit* e : {REdC, REdCVar}) {
        e->setValueMax(1000000);
        e->setValueMin(0);
    }
    CBCVar = checkBox(Harm, "CBCVar", QStringLiteral("variabel"));
    auto* sign = new QLabel(Harm);
    setSymbolText(sign, "\xA3  ", QStringLiteral("≤  "));
    bound->addWidget(new QLabel(QStringLiteral("c"), Harm), 0, 0);
    bound->addWidget(sign, 0, 1);
    bound->addWidget(REdCVar, 0, 2);
    bound->addWidget(new QLabel(QStringLiteral("..."), Harm), 0, 3);
    bound->addWidget(REdC, 0, 4);
    bound->addWidget(CBCVar, 0, 5);
    bound->addWidget(addCaption(Harm, REdCVar, MaximumCaption), 1, 2);
    bound->addWidget(addCaption(Harm, REdC, MinimumCaption), 1, 4);
    bound->setColumnStretch(6, 1);
    layout->addLayout(bound);

    BtUndoHarm = new QPushButton(QStringLiteral("rückgängig"), Harm);
    BtUndoHarm->setObjectName(QStringLiteral("BtUndoHarm"));
    auto* undoRow = new QHBoxLayout;
    undoRow->addStretch();
    undoRow->addWidget(BtUndoHarm);
    layout->addLayout(undoRow);
    layout->addStretch();
    Pages->addWidget(Harm);

    const auto H = EditorPage::Harm;
    onToggle(RBSum, H, [this](TNLMember& n, bool on) {
        if (on)
            asRestr(n).Kind() = SEdP->value() + 20;
    });
    onToggle(RBSingle, H, [](TNLMember& n, bool on) {
        if (on)
            asRestr(n).Kind() = 24;
    });
    connect(ImgSum, &ClickableLabel::clicked, this, [this] { RBSum->setChecked(true); });
    connect(ImgSingle, &ClickableLabel::clicked, this, [this] { RBSingle->setChecked(true); });
    onSpin(SEdP, H, [](TNLMember& n, int p) { asRestr(n).Kind() = p + 20; });
    onSpin(SEdK, H, [](TNLMember& n, int k) { asRestr(n).Harmonic() = k; });
    onToggle(CBCVar, H, [](TNLMember& n, bool on) { asRestr(n).LowerMode() = on ? 1 : 0; });
    onReal(REdC, H, [](TNLMember& n, double v) { asRestr(n).SpectrumBound() = v; });
    onReal(REdCVar, H, [](TNLMember& n, double v) { asRestr(n).SpectrumLimit() = v; });
    connect(BtUndoHarm, &QPushButton::clicked, this, [this] { BtUndoHarmClick(); });
}

void TDlgRestr::fillHarmPage(TRestr& r)
{
    const TreeItem* parent = TreeNode() ? TreeNode()->Parent() : nullptr;
    const auto* motion = parent ? parent->NodeAs<TRXHeader>() : nullptr;
    const HarmPageState s = harmPageState(r, motion ? motion->Harmonics() : 1);
    SEdK->setRange(1, s.kMax);
    RBSum->setChecked(s.sumForm);
    RBSingle->setChecked(!s.sumForm);
    for (QWidget* w : std::initializer_list<QWidget*>{LP, LPDeriv, SEdP})
        w->setEnabled(s.sumForm);
    for (QWidget* w : std::initializer_list<QWidget*>{LK, LKOrder, SEdK})
        w->setEnabled(!s.sumForm);
    SEdP->setValue(s.p);
    SEdK->setValue(s.k);
    showState(REdC, s.c);
    showState(CBCVar, s.cVar);
    showState(REdCVar, s.cVarValue);
    updateCaptions();
    applyFieldHelp(&r, Harm);
}

void TDlgRestr::BtUndoHarmClick()
{
    if (!session_.restriction())
        return;
    session_.undoRestriction();
    UpdateControls();
    setUndoEnabled(false);
}

} // namespace vemra
