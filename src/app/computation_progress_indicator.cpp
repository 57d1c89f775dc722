#include "computation_progress_indicator.h"

namespace vemra {

ComputationProgressIndicator::ComputationProgressIndicator(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("CalcProgress"));
    clock_.setInterval(500);
    connect(&clock_, &QTimer::timeout, this, [this] { refresh(); });
    hide();
}

void ComputationProgressIndicator::start(const QString& project, int index, int count)
{
    project_ = project;
    index_ = index;
    count_ = count;
    progress_ = ModuleProgress();
    elapsed_.start();
    clock_.start();
    refresh();
    show();
}

void ComputationProgressIndicator::moduleLine(const std::string& line)
{
    if (progress_.take(line))
        refresh();
}

void ComputationProgressIndicator::finish()
{
    clock_.stop();
    hide();
    clear();
}

void ComputationProgressIndicator::refresh()
{
    QString text;
    if (index_ > 0)
        text = QStringLiteral("Projekt %1 von %2: ").arg(index_).arg(count_);
    text += project_ + QStringLiteral(" – ");
    const std::string what = progress_.describe();
    text += what.empty() ? QStringLiteral("Berechnung läuft") : QString::fromStdString(what);
    text += QStringLiteral(" – ") + QString::fromStdString(formatElapsed(elapsed_.elapsed() / 1000));
    setText(text);
}

} // namespace vemra
