#include "undo_menu.h"

#include "computation_controller.h"
#include "dlg_main.h"
#include "live_loop.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <exception>

namespace vemra {

namespace {

// An action named after a file must not turn a character into an access key.
QString menuText(const std::string& text)
{
    QString caption = QString::fromStdString(text);
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    return caption;
}

} // namespace

UndoMenu::UndoMenu(TDlgMain& main, LiveLoop* live)
    : QObject(&main), main_(main), live_(live), history_(std::make_unique<UndoHistory>(main.workspace()))
{
    Undo = new QAction(&main);
    Undo->setObjectName(QStringLiteral("Undo"));
    Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo = new QAction(&main);
    Redo->setObjectName(QStringLiteral("Redo"));
    Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // Also from the editor and the diagram windows.
    for (QAction* a : {Undo, Redo})
        a->setShortcutContext(Qt::ApplicationShortcut);
    QAction* first = main_.EditMenu->actions().value(0);
    main_.EditMenu->insertAction(first, Undo);
    main_.EditMenu->insertAction(first, Redo);
    main_.EditMenu->insertSeparator(first)->setObjectName(QStringLiteral("NUndo"));

    connect(Undo, &QAction::triggered, this, [this] { UndoClick(); });
    connect(Redo, &QAction::triggered, this, [this] { RedoClick(); });
    history_->historyChanged = [this] { updateActions(); };
    history_->beforeRestore = [this](TreeItem* project) {
        if (live_)
            live_->cancel(project);
    };
    history_->projectChanged = [this](TreeItem* project) {
        if (live_)
            live_->changed(project);
    };
    updateActions();
}

UndoMenu::~UndoMenu() = default;

void UndoMenu::updateActions()
{
    Undo->setText(menuText(history_->undoText()));
    Undo->setEnabled(history_->canUndo());
    Redo->setText(menuText(history_->redoText()));
    Redo->setEnabled(history_->canRedo());
}

void UndoMenu::UndoClick()
{
    take(&UndoHistory::undo, UndoWhileComputingText);
}

void UndoMenu::RedoClick()
{
    take(&UndoHistory::redo, RedoWhileComputingText);
}

void UndoMenu::take(UndoHistory::Outcome (UndoHistory::*step)(), const char* refusal)
{
    // A question on screen belongs to a change that is not finished.
    if (QApplication::activeModalWidget())
        return;
    // What is still being typed in the editor is a change of its own.
    if (EditorWindow* editor = main_.windows().editor)
        editor->commitInput();
    // A batch walks every project; none of them changes under it.
    const ComputationController* normal = main_.computation();
    UndoHistory::Outcome outcome = UndoHistory::Outcome::ProjectComputing;
    try {
        if (!(normal && normal->BatchMode()))
            outcome = ((*history_).*step)();
    } catch (const std::exception& e) {
        main_.workspace().dialogs().error(e.what());
        return;
    }
    if (outcome == UndoHistory::Outcome::ProjectComputing)
        main_.setStatusText(QString::fromUtf8(refusal));
}

} // namespace vemra
