#include "result_panel.h"

#include "result_icons.h"

#include "model/numeric.h"
#include "model/project_tree.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vemra {

namespace {

enum class Emphasis { None, Bold, Italic };

QLabel* wrappingLabel(const char* name, QWidget* parent, Emphasis emphasis = Emphasis::None)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setBold(emphasis == Emphasis::Bold);
    font.setItalic(emphasis == Emphasis::Italic);
    label->setFont(font);
    return label;
}

enum Column { MotionColumn, CaptionColumn, ShareColumn, AngleColumn, ColumnCount };

constexpr int MinimumWidth = 360;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ResultPanel::ResultPanel(QWidget* parent) : QDockWidget(QStringLiteral("Ergebnis"), parent)
{
    setObjectName(QStringLiteral("ResultPanel"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(6, 4, 6, 4);

    ProjectLabel = wrappingLabel("ProjectLabel", body, Emphasis::Bold);
    Headline = wrappingLabel("Headline", body);
    Facts = new QFormLayout;
    Facts->setObjectName(QStringLiteral("Facts"));
    Facts->setContentsMargins(0, 0, 0, 0);
    Note = wrappingLabel("Note", body, Emphasis::Italic);
    ListTitle = wrappingLabel("ListTitle", body, Emphasis::Bold);

    Entries = new QTreeWidget(body);
    Entries->setObjectName(QStringLiteral("Entries"));
    Entries->setColumnCount(ColumnCount);
    Entries->setHeaderLabels({QStringLiteral("Bew."), QStringLiteral("Restriktion"), QStringLiteral("Anteil"),
                              QStringLiteral("Winkel")});
    Entries->headerItem()->setToolTip(MotionColumn, QStringLiteral("Bewegungsvorgabe"));
    Entries->setRootIsDecorated(false);
    Entries->setUniformRowHeights(true);
    Entries->setSelectionMode(QAbstractItemView::SingleSelection);
    Entries->header()->setStretchLastSection(false);
    for (int c = 0; c < ColumnCount; ++c)
        Entries->header()->setSectionResizeMode(c, c == CaptionColumn ? QHeaderView::Stretch
                                                                      : QHeaderView::ResizeToContents);
    connect(Entries, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { entryClicked(item); });
    connect(Entries, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { entryClicked(item); });

    layout->addWidget(ProjectLabel);
    layout->addWidget(Headline);
    layout->addLayout(Facts);
    layout->addWidget(Note);
    layout->addWidget(ListTitle);
    layout->addWidget(Entries, 1);
    // Without a list the texts stay together at the top.
    layout->addStretch();
    // Room for a restriction's caption beside its share and angle.
    body->setMinimumWidth(MinimumWidth);
    setWidget(body);
    showOutcomeOf(nullptr);
}

void ResultPanel::showOutcomeOf(TreeItem* project)
{
    project_ = project;
    refresh();
}

void ResultPanel::refresh()
{
    if (!project_) {
        OutcomeSummary none;
        none.note = NoProjectSelectedText;
        ProjectLabel->clear();
        display(none);
        return;
    }
    ProjectLabel->setText(q(project_->Text()));
    display(summarizeOutcome(project_, localeDecimalSeparator()));
}

void ResultPanel::display(const OutcomeSummary& s)
{
    Headline->setText(q(s.headline));
    Headline->setVisible(!s.headline.empty());
    while (Facts->rowCount() > 0)
        Facts->removeRow(0);
    // An outdated outcome is shown, but in the colour of what is outdated.
    const QPalette::ColorGroup group = s.current ? QPalette::Active : QPalette::Disabled;
    const QColor text = palette().color(group, QPalette::Text);
    const auto addFact = [&](const std::string& label, const std::string& value) {
        auto* l = new QLabel(q(label) + QLatin1Char(':'));
        auto* v = new QLabel(q(value));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        for (QLabel* w : {l, v}) {
            QPalette p = w->palette();
            p.setColor(QPalette::WindowText, text);
            w->setPalette(p);
        }
        Facts->addRow(l, v);
    };
    for (const auto& [label, value] : s.facts)
        addFact(label, value);
    if (!s.time.empty())
        addFact("Rechenzeit", s.time);
    Note->setText(q(s.note));
    Note->setVisible(!s.note.empty());
    ListTitle->setText(q(s.listTitle));
    ListTitle->setVisible(!s.listTitle.empty());

    Entries->clear();
    entryItems_.clear();
    bool limits = false;
    for (const OutcomeEntry& e : s.entries) {
        auto* item = new QTreeWidgetItem(Entries);
        item->setText(MotionColumn, q(e.motionNumber));
        item->setText(CaptionColumn, q(e.caption));
        item->setText(ShareColumn, q(e.share));
        item->setText(AngleColumn, q(e.angle));
        item->setTextAlignment(ShareColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(AngleColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setIcon(CaptionColumn, e.share.empty() ? conflictIcon() : limitIcon());
        QString tip = q(e.motion.empty() ? e.caption : e.motion + ": " + e.caption);
        if (!e.sensitivity.empty())
            tip += QStringLiteral("\nλ* steigt je Einheit Lockerung um ") + q(e.sensitivity);
        for (int c = 0; c < ColumnCount; ++c) {
            item->setToolTip(c, tip);
            item->setForeground(c, text);
        }
        entryItems_.push_back(e.restriction);
        limits = limits || !e.share.empty();
    }
    // A conflict has neither shares nor angles.
    Entries->setColumnHidden(ShareColumn, !limits);
    Entries->setColumnHidden(AngleColumn, !limits);
    Entries->setVisible(!s.entries.empty());
}

void ResultPanel::entryClicked(QTreeWidgetItem* item)
{
    const int index = Entries->indexOfTopLevelItem(item);
    if (index < 0 || index >= static_cast<int>(entryItems_.size()) || !entryItems_[index])
        return;
    emit restrictionChosen(entryItems_[index]);
}

} // namespace vemra
