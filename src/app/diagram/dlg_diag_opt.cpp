#include "dlg_diag_opt.h"

#include "display_controls.h"
#include "grafik_window.h"

#include "model/tree_ops.h"
#include "model/workspace.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <charconv>

namespace vemra {

namespace {

constexpr int ItemRole = Qt::UserRole;

enum TreeImage { ProjectClosed = 0, ProjectOpen = 1, MotionHidden = 2, MotionShown = 3 };

// The four images of the data tree, drawn here so that they need no files.
QIcon treeImage(TreeImage which)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (which == ProjectClosed || which == ProjectOpen) {
        p.setPen(QColor(120, 90, 20));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 6, 3);
        if (which == ProjectOpen) {
            p.setBrush(QColor(255, 230, 140));
            p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 14), QPoint(1, 14)}));
        }
    } else {
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 13, 13);
        p.setPen(QPen(which == MotionShown ? QColor(200, 0, 0) : QColor(190, 190, 190), 1.5));
        p.drawPolyline(QPolygon({QPoint(2, 11), QPoint(5, 4), QPoint(8, 9), QPoint(11, 3), QPoint(13, 6)}));
    }
    return QIcon(pixmap);
}

TreeItem* modelItemOf(const QTreeWidgetItem* node)
{
    return node ? reinterpret_cast<TreeItem*>(node->data(0, ItemRole).value<quintptr>()) : nullptr;
}

QString numberText(double v)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6).ptr;
    return QString::fromLatin1(text, static_cast<int>(end - text));
}

std::optional<double> parseNumber(const QString& text)
{
    const std::string s = text.trimmed().toStdString();
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return v;
}

} // namespace

TDlgDiagOpt::TDlgDiagOpt(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TDlgDiagOpt"));
    setWindowTitle(QStringLiteral("Optionen - Diagramm"));
    Pages = new QTabWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    buildDataPage();
    buildScalingPage();
    setModal(false);
}

void TDlgDiagOpt::buildDataPage()
{
    auto* page = new QWidget(Pages);
    TVGrafs = new QTreeWidget(page);
    TVGrafs->setObjectName(QStringLiteral("TVGrafs"));
    TVGrafs->setHeaderHidden(true);
    TVGrafs->setRootIsDecorated(false);
    TVGrafs->setIconSize(QSize(16, 16));
    TVGrafs->setItemsExpandable(true);
    TVGrafs->setExpandsOnDoubleClick(true);
    TVGrafs->viewport()->installEventFilter(this);
    Display = new DisplayGroup(page);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(TVGrafs, 1);
    layout->addWidget(Display);
    Pages->addTab(page, QStringLiteral("Daten"));

    connect(TVGrafs, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (!loading_)
            selectMotion(node);
    });
    connect(TVGrafs, &QTreeWidget::itemExpanded, this, [this] { updateTreeImages(); });
    connect(TVGrafs, &QTreeWidget::itemCollapsed, this, [this] { updateTreeImages(); });
    connect(Display, &DisplayGroup::recordEdited, this, [this](const DisplayRecord& r) {
        auto* motion = edited_ ? edited_->NodeAs<TPaintObj>() : nullptr;
        if (!motion)
            return;
        motion->setDisplayRecord(r);
        // How an absolute motion is drawn is part of its project's file.
        if (TreeItem* project = ProjectOf(edited_)) {
            if (edited_->NodeAs<TRXHeader>()) {
                project->NodeAs<TProject>()->Unsaved = true;
                ws_.events().projectStateChanged(project);
            }
            ws_.events().changeCommitted({project, "Darstellung von " + edited_->Text(), ProjectChange::Kind::Edited});
        }
        if (motionRestyled)
            motionRestyled(motion);
        else
            redraw();
    });
    connect(Display, &DisplayGroup::highlightEdited, this, [this](Color c) {
        if (!window_)
            return;
        window_->Page.HighlightColor = c;
        redraw();
    });
}

void TDlgDiagOpt::buildScalingPage()
{
    auto* page = new QWidget(Pages);
    CBAxis = new QComboBox(page);
    CBAxis->setObjectName(QStringLiteral("CBAxis"));

    auto* range = new QGroupBox(QStringLiteral(" Bereich "), page);
    CBAutoRange = new QCheckBox(QStringLiteral("automatisch"), range);
    CBAutoRange->setObjectName(QStringLiteral("CBAutoRange"));
    EdMin = new QLineEdit(range);
    EdMin->setObjectName(QStringLiteral("EdMin"));
    EdMax = new QLineEdit(range);
    EdMax->setObjectName(QStringLiteral("EdMax"));
    CBZero = new QCheckBox(QStringLiteral("mit Null"), range);
    CBZero->setObjectName(QStringLiteral("CBZero"));
    CBGrid = new QCheckBox(QStringLiteral("Raster"), range);
    CBGrid->setObjectName(QStringLiteral("CBGrid"));
    auto* rangeLayout = new QFormLayout(range);
    rangeLayout->addRow(CBAutoRange);
    rangeLayout->addRow(QStringLiteral("min"), EdMin);
    rangeLayout->addRow(QStringLiteral("max"), EdMax);
    rangeLayout->addRow(CBZero);
    rangeLayout->addRow(CBGrid);

    auto* ends = new QGroupBox(QStringLiteral(" Enden "), page);
    ends->setObjectName(QStringLiteral("RGEnds"));
    RGEnds = new QButtonGroup(this);
    auto* endsLayout = new QVBoxLayout(ends);
    const QString endCaptions[] = {QStringLiteral("fest"), QStringLiteral("mit Tick"), QStringLiteral("mit Zahl")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(endCaptions[i], ends);
        RGEnds->addButton(b, i);
        endsLayout->addWidget(b);
    }

    auto* show = new QGroupBox(QStringLiteral(" Anzeige "), page);
    auto* showLayout = new QVBoxLayout(show);
    const char* names[] = {"CB0", "CB1", "CB2", "CB3", "CBneg1"};
    std::array<QCheckBox*, SlotCount> boxes{};
    for (int i = 0; i < SlotCount; ++i) {
        boxes[static_cast<size_t>(i)] =
            new QCheckBox(QString::fromStdString(QuantityName(QuantityOrders[static_cast<size_t>(i)])), show);
        boxes[static_cast<size_t>(i)]->setObjectName(QString::fromLatin1(names[i]));
        showLayout->addWidget(boxes[static_cast<size_t>(i)]);
    }
    CB0 = boxes[0];
    CB1 = boxes[1];
    CB2 = boxes[2];
    CB3 = boxes[3];
    CBneg1 = boxes[4];
    CBShowRestrict = new QCheckBox(QStringLiteral("mit Forderungen"), show);
    CBShowRestrict->setObjectName(QStringLiteral("CBShowRestrict"));
    showLayout->addSpacing(6);
    showLayout->addWidget(CBShowRestrict);

    auto* grid = new QGridLayout(page);
    auto* forRow = new QHBoxLayout;
    forRow->addWidget(new QLabel(QString::fromUtf8("für:"), page));
    forRow->addWidget(CBAxis, 1);
    grid->addLayout(forRow, 0, 0, 1, 2);
    grid->addWidget(range, 1, 0);
    grid->addWidget(ends, 2, 0);
    grid->addWidget(show, 1, 1, 2, 1);
    Pages->addTab(page, QStringLiteral("Skalierung"));

    connect(CBAxis, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_)
            refreshAxisControls();
    });
    connect(CBAutoRange, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_)
            return;
        for (TAxis* a : chosenAxes())
            a->AutoRange = on;
        refreshAxisControls();
        if (on) {
            redraw();
            refreshAxisControls(); // the range the window chose
        }
    });
    connect(EdMin, &QLineEdit::editingFinished, this, [this] { EdMinExit(); });
    connect(EdMax, &QLineEdit::editingFinished, this, [this] { EdMaxExit(); });
    connect(RGEnds, &QButtonGroup::idClicked, this, [this](int id) {
        for (TAxis* a : chosenAxes())
            a->EndsMode = static_cast<uint8_t>(id);
        redraw();
    });
    connect(CBGrid, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_ || !window_)
            return;
        // The grid goes with the direction: all angle axes or all value axes.
        for (TDiagram& d : window_->Page.Diagrams)
            (xChosen() ? d.XAxis : d.YAxis).Grid = on;
        redraw();
    });
    connect(CBZero, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_ || xChosen())
            return;
        for (TAxis* a : chosenAxes())
            a->WithZero = on;
        redraw();
    });
    for (QCheckBox* box : quantityBoxes())
        connect(box, &QCheckBox::toggled, this, [this] {
            if (loading_)
                return;
            updateQuantityBoxes();
            rebuildSlots();
        });
    connect(CBShowRestrict, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_ || !window_)
            return;
        window_->Page.ShowRestrictions = on;
        redraw();
    });
}

bool TDlgDiagOpt::execModal()
{
    show();
    raise();
    return true;
}

void TDlgDiagOpt::refreshList()
{
    rebuildTree();
    updateShowRestrictions();
}

// --- attaching --------------------------------------------------------------------------

void TDlgDiagOpt::attach(TGrafik* w)
{
    window_ = w;
    if (!w)
        return;
    ++loading_;
    Display->setHighlight(w->Page.HighlightColor);
    const QuantitySet shown = w->Page.Quantities();
    const auto boxes = quantityBoxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(shown[i]);
    --loading_;
    rebuildTree();
    updateQuantityBoxes();
    updateShowRestrictions();
    rebuildSlots();
}

void TDlgDiagOpt::windowClosing(TGrafik* w)
{
    if (window_ && window_ != w)
        return;
    window_ = nullptr;
    hide();
}

void TDlgDiagOpt::closeEvent(QCloseEvent* event)
{
    window_ = nullptr;
    QDialog::closeEvent(event);
}

void TDlgDiagOpt::toggleQuantity(int index)
{
    QCheckBox* box = quantityBoxes()[static_cast<size_t>(index)];
    if (box->isEnabled())
        box->setChecked(!box->isChecked());
}

void TDlgDiagOpt::redraw()
{
    if (window_)
        window_->Redraw();
}

// --- data tree ---------------------------------------------------------------------------

void TDlgDiagOpt::rebuildTree()
{
    ++loading_;
    TVGrafs->clear();
    QTreeWidgetItem* current = nullptr;
    for (int p = 0; p < ws_.tree.TopLevelCount(); ++p) {
        TreeItem* project = ws_.tree.TopLevel(p);
        auto* projectNode = new QTreeWidgetItem(TVGrafs, {QString::fromStdString(project->Text())});
        projectNode->setData(0, ItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(project)));
        for (int i = 0; i < project->ChildCount(); ++i) {
            TreeItem* item = project->Child(i);
            if (!item->NodeAs<TPaintObj>())
                continue;
            auto* node = new QTreeWidgetItem(projectNode, {QString::fromStdString(item->Text())});
            node->setData(0, ItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
            if (item == edited_)
                current = node;
        }
        projectNode->setExpanded(true);
    }
    // The edited motion may be gone.
    if (!current)
        edited_ = nullptr;
    TVGrafs->setCurrentItem(current);
    --loading_;
    updateTreeImages();
    selectMotion(current);
}

void TDlgDiagOpt::updateTreeImages()
{
    for (int p = 0; p < TVGrafs->topLevelItemCount(); ++p) {
        QTreeWidgetItem* project = TVGrafs->topLevelItem(p);
        project->setIcon(0, treeImage(project->isExpanded() ? ProjectOpen : ProjectClosed));
        for (int i = 0; i < project->childCount(); ++i) {
            QTreeWidgetItem* node = project->child(i);
            const bool shown = window_ && window_->Page.Contains(modelItemOf(node));
            node->setIcon(0, treeImage(shown ? MotionShown : MotionHidden));
            node->setData(0, Qt::UserRole + 1, shown);
        }
    }
}

QTreeWidgetItem* TDlgDiagOpt::treeItemFor(const TreeItem* item) const
{
    for (int p = 0; p < TVGrafs->topLevelItemCount(); ++p) {
        QTreeWidgetItem* project = TVGrafs->topLevelItem(p);
        if (modelItemOf(project) == item)
            return project;
        for (int i = 0; i < project->childCount(); ++i)
            if (modelItemOf(project->child(i)) == item)
                return project->child(i);
    }
    return nullptr;
}

void TDlgDiagOpt::selectMotion(QTreeWidgetItem* node)
{
    TreeItem* item = modelItemOf(node);
    auto* motion = item ? item->NodeAs<TPaintObj>() : nullptr;
    edited_ = motion ? item : nullptr;
    Display->setRecord(motion ? std::optional<DisplayRecord>(motion->displayRecord()) : std::nullopt);
}

void TDlgDiagOpt::toggleMembership(QTreeWidgetItem* node)
{
    TreeItem* item = modelItemOf(node);
    if (!window_ || !item || !item->NodeAs<TPaintObj>())
        return;
    if (!window_->Page.RemoveItem(item))
        window_->AddItem(item);
    updateTreeImages();
    updateShowRestrictions();
    redraw();
}

bool TDlgDiagOpt::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TVGrafs->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        QTreeWidgetItem* node = TVGrafs->itemAt(pos);
        if (node && node->parent() && mouse->button() == Qt::LeftButton) {
            // The image sits at the left end of the item, a few pixels in;
            // a click a little beside it still means it.
            const QRect r = TVGrafs->visualItemRect(node);
            const QRect image(r.left() - 4, r.top(), TVGrafs->iconSize().width() + 10, r.height());
            if (image.contains(pos))
                toggleMembership(node);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- slots and axes ----------------------------------------------------------------------

void TDlgDiagOpt::updateQuantityBoxes()
{
    const auto boxes = quantityBoxes();
    const auto checked = std::count_if(boxes.begin(), boxes.end(), [](QCheckBox* b) { return b->isChecked(); });
    // The last quantity shown cannot be taken away.
    for (QCheckBox* b : boxes)
        b->setEnabled(!(checked == 1 && b->isChecked()));
}

void TDlgDiagOpt::updateShowRestrictions()
{
    if (!window_)
        return;
    ++loading_;
    bool withoutResult = false;
    for (const TreeItem* item : window_->Page.Items)
        if (const auto* m = item->NodeAs<TPaintObj>(); m && !m->HasResult)
            withoutResult = true;
    // Without a curve the restrictions are all there is to see.
    if (withoutResult)
        window_->Page.ShowRestrictions = true;
    CBShowRestrict->setChecked(window_->Page.ShowRestrictions);
    CBShowRestrict->setEnabled(!withoutResult);
    --loading_;
}

void TDlgDiagOpt::rebuildSlots()
{
    if (!window_)
        return;
    QuantitySet set{};
    const auto boxes = quantityBoxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        set[i] = boxes[i]->isChecked();
    window_->Page.SetQuantities(set);

    ++loading_;
    const QString previous = CBAxis->currentText();
    CBAxis->clear();
    CBAxis->addItem(QStringLiteral("x-Achse"));
    for (int i = 0; i < window_->Page.DiagramCount; ++i)
        CBAxis->addItem(QString::fromStdString(QuantityName(window_->Page.Diagrams[static_cast<size_t>(i)].Order)));
    CBAxis->setCurrentIndex(std::max(0, CBAxis->findText(previous)));
    --loading_;
    refreshAxisControls();
    redraw();
}

bool TDlgDiagOpt::xChosen() const
{
    return CBAxis->currentIndex() <= 0;
}

TAxis* TDlgDiagOpt::shownAxis() const
{
    if (!window_)
        return nullptr;
    const int entry = CBAxis->currentIndex();
    if (entry <= 0)
        return &window_->Page.Diagrams[0].XAxis;
    if (entry > window_->Page.DiagramCount)
        return nullptr;
    return &window_->Page.Diagrams[static_cast<size_t>(entry - 1)].YAxis;
}

std::vector<TAxis*> TDlgDiagOpt::chosenAxes() const
{
    std::vector<TAxis*> axes;
    if (!window_)
        return axes;
    if (xChosen()) {
        for (TDiagram& d : window_->Page.Diagrams)
            axes.push_back(&d.XAxis);
    } else if (TAxis* a = shownAxis()) {
        axes.push_back(a);
    }
    return axes;
}

void TDlgDiagOpt::refreshAxisControls()
{
    const TAxis* a = shownAxis();
    ++loading_;
    for (QWidget* w : std::initializer_list<QWidget*>{CBAutoRange, CBGrid, RGEnds->button(0), RGEnds->button(1),
                                                      RGEnds->button(2)})
        w->setEnabled(a != nullptr);
    if (a) {
        CBAutoRange->setChecked(a->AutoRange);
        EdMin->setText(numberText(a->RawMin));
        EdMax->setText(numberText(a->RawMax));
        CBZero->setChecked(a->WithZero);
        CBGrid->setChecked(a->Grid);
        if (QAbstractButton* b = RGEnds->button(std::min<int>(a->EndsMode, 2)))
            b->setChecked(true);
    }
    EdMin->setEnabled(a && !a->AutoRange);
    EdMax->setEnabled(a && !a->AutoRange);
    CBZero->setEnabled(a && !xChosen());
    --loading_;
}

void TDlgDiagOpt::EdMinExit()
{
    const TAxis* a = shownAxis();
    // Only what the user typed counts: the field shows the stored value
    // rounded, which must not replace it.
    if (!a || loading_ || !EdMin->isModified())
        return;
    EdMin->setModified(false);
    const auto v = parseNumber(EdMin->text());
    const auto max = parseNumber(EdMax->text());
    // Invalid entries are not reported: the field shows the stored value.
    if (!v || !max || !(*v < *max) || (xChosen() && *v < 0)) {
        EdMin->setText(numberText(a->RawMin));
        return;
    }
    for (TAxis* axis : chosenAxes())
        axis->RawMin = *v;
    redraw();
}

void TDlgDiagOpt::EdMaxExit()
{
    const TAxis* a = shownAxis();
    if (!a || loading_ || !EdMax->isModified())
        return;
    EdMax->setModified(false);
    const auto v = parseNumber(EdMax->text());
    const auto min = parseNumber(EdMin->text());
    if (!v || !min || !(*v > *min) || (xChosen() && *v > 360)) {
        EdMax->setText(numberText(a->RawMax));
        return;
    }
    for (TAxis* axis : chosenAxes())
        axis->RawMax = *v;
    redraw();
}

} // namespace vemra
