// The small indicator beside the status text that follows a running
// computation: which project (in a batch: which of how many), the stage or
// step the module has reached with its fulfilment, and the running time.
// Hidden while nothing is computed; the status texts stay as they are.
#pragma once

#include "compute/module_progress.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <string>

namespace vemra {

class ComputationProgressIndicator : public QLabel {
    Q_OBJECT
public:
    explicit ComputationProgressIndicator(QWidget* parent = nullptr);

    // A run starts for project; index and count (from 1) place it in a
    // batch, 0 outside one.
    void start(const QString& project, int index, int count);
    // A line the module printed; a progress line changes what is shown.
    void moduleLine(const std::string& line);
    // The run is over.
    void finish();

private:
    void refresh();

    QString project_;
    int index_ = 0;
    int count_ = 0;
    ModuleProgress progress_;
    QElapsedTimer elapsed_;
    // The running time moves on while the module is silent; it fires while
    // the computation pumps the events.
    QTimer clock_;
};

} // namespace vemra
