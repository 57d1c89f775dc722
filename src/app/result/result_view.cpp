#include "result_view.h"

#include "result_icons.h"
#include "result_panel.h"

#include "app/dlg_main.h"
#include "app/project_tree_view.h"

#include "model/tree_ops.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <utility>
#include <vector>

namespace vemra {

ResultView::ResultView(TDlgMain& main) : main_(main), panel_(new ResultPanel(&main))
{
    // Beside the tree, where the window's width takes it into account.
    panel_->setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    main_.addDockWidget(Qt::RightDockWidgetArea, panel_);
    QObject::connect(panel_, &QDockWidget::dockLocationChanged, panel_, [this] { fitWidth(); });
    QObject::connect(panel_, &QDockWidget::topLevelChanged, panel_, [this] { fitWidth(); });
    QObject::connect(panel_, &QDockWidget::visibilityChanged, panel_, [this] { fitWidth(); });
    QAction* toggle = panel_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("ShowResultPanel"));
    toggle->setText(QStringLiteral("&Ergebnis"));
    main_.WindowMenu->addAction(toggle);

    QObject::connect(main_.TVProjects, &ProjectTreeView::selectionChangedTo, panel_,
                     [this](TreeItem* current) { panel_->showOutcomeOf(ProjectOf(current)); });
    QObject::connect(panel_, &ResultPanel::restrictionChosen, panel_,
                     [this](TreeItem* restriction) { choose(restriction); });
    main_.workspace().events().subscribe(this);
    panel_->showOutcomeOf(ProjectOf(main_.workspace().tree.Selected()));
}

ResultView::~ResultView()
{
    main_.workspace().events().unsubscribe(this);
    if (panel_) {
        // Its signals would reach this view while it goes.
        QObject::disconnect(panel_.data(), nullptr, panel_.data(), nullptr);
        delete panel_.data();
    }
}

ResultPanel& ResultView::panel()
{
    return *panel_;
}

void ResultView::showOutcomeOf(TreeItem* project)
{
    markTree(project);
    panel_->showOutcomeOf(project);
}

void ResultView::follow(TreeItem* project)
{
    markTree(project);
    if (panel_->project() == project)
        panel_->refresh();
}

void ResultView::markTree(TreeItem* project)
{
    const auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (!p)
        return;
    std::vector<std::pair<QTreeWidgetItem*, ExplanationRole>> restrictions;
    bool marked = false;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* header = project->Child(i);
        if (!header->NodeAs<TPaintObj>())
            continue;
        for (int k = 0; k < header->ChildCount(); ++k) {
            const auto* r = header->Child(k)->NodeAs<TRestr>();
            if (QTreeWidgetItem* shown = main_.TVProjects->viewItem(header->Child(k)); r && shown) {
                restrictions.emplace_back(shown, explanationRole(*p, *r));
                marked = marked || restrictions.back().second != ExplanationRole::None;
            }
        }
    }
    // Icons widen the entries; the window follows its widest entry by
    // itself.
    for (const auto& [shown, role] : restrictions)
        shown->setIcon(0, role == ExplanationRole::Limiting      ? limitIcon()
                          : role == ExplanationRole::Conflicting ? conflictIcon()
                          : marked                               ? blankIcon()
                                                                 : QIcon());
}

void ResultView::fitWidth()
{
    QTimer::singleShot(0, panel_.data(), [this] {
        if (!main_.isMaximized() && !main_.isFullScreen())
            main_.resize(main_.preferredWidth(), main_.height());
    });
}

void ResultView::choose(TreeItem* restriction)
{
    Workspace& ws = main_.workspace();
    // Nothing moves the selection while a batch walks the projects.
    if (!ws.tree.Contains(restriction) || !main_.TVProjects->isEnabled())
        return;
    ws.tree.SetSelected(restriction);
    main_.EditorClick();
}

void ResultView::selectionChanged(TreeItem* item)
{
    panel_->showOutcomeOf(ProjectOf(item));
}

void ResultView::projectAboutToBeRemoved(TreeItem* project)
{
    if (panel_->project() == project)
        panel_->showOutcomeOf(nullptr);
}

void ResultView::projectContentChanged(TreeItem* project)
{
    follow(project);
}

void ResultView::resultsChanged(TreeItem* project)
{
    follow(project);
}

void ResultView::projectStateChanged(TreeItem* project)
{
    follow(project);
}

void ResultView::changeFinished()
{
    if (TreeItem* project = panel_->project(); project && main_.workspace().tree.Contains(project))
        follow(project);
}

} // namespace vemra
