// Stand-ins for the windows that this version does not have yet: the
// diagram windows and option dialogs. They keep the places these windows take
// in the program (creation order, the main window's calls) and show only
// their caption and the node they were given; each is replaced by the real
// window when it exists.
#pragma once

#include "app_windows.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <vector>

class QLabel;

namespace vemra {

class TreeItem;

// A modal dialog with its caption and OK / Cancel.
class PlaceholderDialog : public QDialog, public OptionsDialog {
    Q_OBJECT
public:
    PlaceholderDialog(const QString& caption, QWidget* parent);
    bool execModal() override { return exec() == QDialog::Accepted; }
};

class PlaceholderDiagramOptions : public QDialog, public DiagramOptionsWindow {
    Q_OBJECT
public:
    explicit PlaceholderDiagramOptions(QWidget* parent);
    bool execModal() override { return exec() == QDialog::Accepted; }
    void refreshList() override { ++refreshCount; }
    int refreshCount = 0;
};

// Diagram windows ("Grafik"), each listing the motions it would draw.
class PlaceholderDiagrams : public DiagramWindows {
public:
    explicit PlaceholderDiagrams(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    ~PlaceholderDiagrams() override;

    void openFor(TreeItem* item) override;
    void markDirty(const std::vector<const TPaintObj*>& motions) override;
    void redrawDirty() override;
    void removeMotion(TPaintObj* motion) override;

    int windowCount() const;

private:
    struct Window {
        QPointer<QWidget> widget;
        QLabel* label = nullptr;
        std::vector<std::pair<const TPaintObj*, TreeItem*>> motions;
        bool Dirty = false;
    };
    void repaint(Window& w);

    QWidget* mainWindow_;
    std::vector<Window> windows_;
};

} // namespace vemra
