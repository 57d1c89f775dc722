// Shared set-up of the editor's widget tests: the main window with the real
// editor window beside it, a scripted choice of optimisation objects, and
// the user's gestures on the editor's controls.
#pragma once

#include "app_fixture.h"

#include "editor/dlg_restr.h"
#include "editor/real_edit.h"

#include "support/scripted_chooser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QSpinBox>

namespace vemra::test {

// Types text into a widget key by key, as the keyboard would.
inline void typeKeys(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

inline void pressKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Replaces the field's text and confirms it with Enter.
inline void enter(TRealEdit* e, const QString& text)
{
    e->selectAll();
    typeKeys(e, text);
    pressKey(e, Qt::Key_Return);
}

class EditorTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dlg = new TDlgRestr(*window);
        dlg->setOptimisationObjectChooser(&chooser);
        changeWindows([this](AppWindows& w) { w.editor = dlg; });
    }
    void TearDown() override
    {
        EXPECT_TRUE(chooser.answers.empty()) << "scripted choices left over";
        MainWindowTest::TearDown();
    }

    // Selects item in the tree, which shows it in the editor.
    void show(TreeItem* item)
    {
        select(item);
        dlg->SetObject(item);
    }
    // The restriction the editor shows, created by the menu command.
    TreeItem* newRestriction(TreeItem* motion)
    {
        select(motion);
        return NewAbsRestrictionCommand(ws());
    }
    TRestr* restr() const { return dlg->Node() ? dynamic_cast<TRestr*>(dlg->Node()) : nullptr; }

    TDlgRestr* dlg = nullptr; // owned by the main window
    ScriptedChooser chooser;
};

} // namespace vemra::test
