// "Rückgängig: ACTION" (Ctrl+Z) and "Wiederholen: ACTION" (Ctrl+Y,
// Ctrl+Shift+Z) at the top of "&Bearbeiten": the desktop's side of the
// project history. The shortcuts work in every window of the program; a
// text field keeps Ctrl+Z for its own typing.
#pragma once

#include "commands/undo_history.h"

#include <QObject>

#include <memory>

class QAction;

namespace vemra {

class LiveLoop;
class TDlgMain;

class UndoMenu : public QObject {
    Q_OBJECT
public:
    // live (may be null) hears of every change the history records, undoes
    // or redoes.
    UndoMenu(TDlgMain& main, LiveLoop* live);
    ~UndoMenu() override;

    QAction* Undo = nullptr;
    QAction* Redo = nullptr;

    UndoHistory& history() { return *history_; }

    void UndoClick();
    void RedoClick();

private:
    void updateActions();
    // Takes a step back or forth; refusal goes to the status bar when the
    // project is being computed.
    void take(UndoHistory::Outcome (UndoHistory::*step)(), const char* refusal);

    TDlgMain& main_;
    LiveLoop* live_;
    std::unique_ptr<UndoHistory> history_;
};

} // namespace vemra
