#include "placeholder_windows.h"

#include "model/tree_ops.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace vemra {

namespace {

constexpr const char* NotYetText = "Dieses Fenster ist in dieser Version noch nicht enthalten.";

void buildDialog(QDialog* dialog, const QString& caption)
{
    dialog->setWindowTitle(caption);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

QString describe(const TreeItem* item)
{
    return item ? QString::fromStdString(item->Text()) : QString();
}

} // namespace

// --- dialogs ------------------------------------------------------------------

PlaceholderDialog::PlaceholderDialog(const QString& caption, QWidget* parent) : QDialog(parent)
{
    buildDialog(this, caption);
}

PlaceholderDiagramOptions::PlaceholderDiagramOptions(QWidget* parent) : QDialog(parent)
{
    buildDialog(this, QStringLiteral("Optionen - Diagramm"));
}

// --- diagrams -----------------------------------------------------------------

PlaceholderDiagrams::~PlaceholderDiagrams()
{
    for (auto& w : windows_)
        delete w.widget.data();
}

int PlaceholderDiagrams::windowCount() const
{
    return static_cast<int>(std::count_if(windows_.begin(), windows_.end(), [](const Window& w) { return !w.widget.isNull(); }));
}

void PlaceholderDiagrams::openFor(TreeItem* item)
{
    Window w;
    for (const TPaintObj* m : affectedMotions(item)) {
        // Find the tree item of the motion for its caption.
        TreeItem* project = ProjectOf(item);
        for (int i = 0; project && i < project->ChildCount(); ++i)
            if (project->Child(i)->Node() == m)
                w.motions.emplace_back(m, project->Child(i));
    }
    w.widget = new QWidget(mainWindow_, Qt::Window);
    w.widget->setAttribute(Qt::WA_DeleteOnClose);
    w.widget->setWindowTitle(QStringLiteral("Grafik"));
    auto* layout = new QVBoxLayout(w.widget);
    w.label = new QLabel(w.widget);
    layout->addWidget(w.label);
    layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), w.widget));
    w.widget->resize(400, 300);
    repaint(w);
    w.widget->show();
    windows_.push_back(std::move(w));
}

void PlaceholderDiagrams::repaint(Window& w)
{
    QStringList lines;
    for (const auto& [motion, item] : w.motions)
        lines << describe(item);
    if (w.label)
        w.label->setText(lines.join(QLatin1Char('\n')));
    w.Dirty = false;
}

void PlaceholderDiagrams::markDirty(const std::vector<const TPaintObj*>& motions)
{
    for (auto& w : windows_)
        for (const auto& entry : w.motions)
            if (std::find(motions.begin(), motions.end(), entry.first) != motions.end())
                w.Dirty = true;
}

void PlaceholderDiagrams::redrawDirty()
{
    for (auto& w : windows_)
        if (w.Dirty && w.widget)
            repaint(w);
}

void PlaceholderDiagrams::removeMotion(TPaintObj* motion)
{
    for (auto& w : windows_) {
        auto& m = w.motions;
        const auto before = m.size();
        m.erase(std::remove_if(m.begin(), m.end(), [motion](const auto& e) { return e.first == motion; }), m.end());
        if (m.size() != before)
            w.Dirty = true;
    }
}

} // namespace vemra
