// "externe Berechnung": the progress of a remote run with its protocol, the
// host's terminal, the running time against the maximum and a cancel
// button. It owns the runner of the remote computation and its network
// clients. It has no close box: it goes by its cancel button or when the
// maximum time has passed, and stays after a finished run to show its
// protocol.
#pragma once

#include "compute/remote_module_runner.h"
#include "net/net_transports.h"
#include "net/terminal_buffer.h"
#include "platform/system_clock.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vemra {

class TDlgRConfig;

class TDlgRProgress : public QWidget, public RemoteRunView {
    Q_OBJECT
public:
    // dialogs asks whether to trust a host key that is not yet known (SSH).
    // transports: network clients of the caller's choice (tests); the
    // window's own otherwise.
    TDlgRProgress(TDlgRConfig& settings, UserDialogs& dialogs, QWidget* parent = nullptr,
                  RemoteTransports* transports = nullptr);

    ModuleRunner& runner() { return runner_; }

    // RemoteRunView
    int32_t begin(int32_t maxTime) override;
    void addLine(const std::string& line) override;
    void terminalText(const std::string& text) override;
    void showTime(int32_t elapsed, int32_t maxTime) override;
    bool cancelRequested() override { return Aborted; }
    void end(bool close, int32_t elapsed, int32_t maxTime) override;

    // One second after the run: counts on and closes at the maximum time.
    void Timer1Timer();
    void BitBtn1Click();

    bool Aborted = false;
    bool TimedOut = false;
    int32_t ElapsedSeconds = 0;

    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Terminal = nullptr;
    QLabel* LTime = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    // Refused unless the run was cancelled or timed out.
    void closeEvent(QCloseEvent* event) override;

private:
    void build();

    NetTransports ownTransports_;
    SystemClock clock_;
    TerminalBuffer screen_;
    RemoteModuleRunner runner_;
    int32_t maxTime_ = DefaultMaxTime;
};

} // namespace vemra
