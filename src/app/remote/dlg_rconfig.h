// "Remote-Config": the settings of a computation on a remote host, reached
// over FTP and Telnet or over SSH. It is shown from "&extern ..." and before
// every remote run; its values live in the settings key "Remote", the
// password only in its field while the program runs. A text with a control
// character is refused with a message before anything is sent.
#pragma once

#include "app/app_windows.h"

#include "compute/remote_transport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vemra {

class SettingsStore;
class UserDialogs;

class TDlgRConfig : public QDialog, public OptionsDialog, public RemoteSettingsSource {
    Q_OBJECT
public:
    // Reads the stored values; dialogs shows why a value is refused.
    explicit TDlgRConfig(UserDialogs& dialogs, QWidget* parent = nullptr);
    // Writes them back (all but the password).
    ~TDlgRConfig() override;

    bool execModal() override { return exec() == QDialog::Accepted; }
    // The dialog, modally; the values when the user confirmed them.
    std::optional<RemoteSettings> askSettings() override;

    // What the fields hold now.
    RemoteSettings settings() const;
    // "\r" while "CR" is checked, "\r\n" otherwise.
    QString LineEnd;

    QLineEdit* EdHost = nullptr;
    QLineEdit* EdUser = nullptr;
    QLineEdit* EdPwd = nullptr;
    QLineEdit* EdPrompt = nullptr;
    QLineEdit* EdLoginReq = nullptr;
    QLineEdit* EdPWDReq = nullptr;
    QLineEdit* EdCmd = nullptr;
    QLineEdit* EdRPath = nullptr;
    QRadioButton* RBCR = nullptr;
    QRadioButton* RBCRLF = nullptr;
    QSpinBox* EdMaxTime = nullptr;
    QCheckBox* CBConDet = nullptr;
    QSpinBox* SEdFtpPort = nullptr;
    QSpinBox* SEdTelnetPort = nullptr;
    QCheckBox* CBTls = nullptr;
    QLabel* LTlsNote = nullptr;
    QRadioButton* RBFtpTelnet = nullptr;
    QRadioButton* RBSsh = nullptr;
    QSpinBox* SEdSshPort = nullptr;

    // OK: closes only when no text holds a control character.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readSettings(const SettingsStore& store);
    void writeSettings(SettingsStore& store) const;
    // Only the fields of the chosen connection can be edited.
    void connectionChanged();

    UserDialogs& dialogs_;
};

} // namespace vemra
