// "Remote-Config" and "externe Berechnung": the settings kept between runs
// (never the password) in a file that vemra-cli reads as well, the focus
// for the password, the progress window's time, closing rules and reset.
#include "app_fixture.h"

#include "remote/dlg_rconfig.h"
#include "remote/dlg_rprogress.h"

#include "compute/module_files.h"
#include "platform/qt/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <tuple>

namespace vemra::test {
namespace {

class RemoteWindows : public NoSettingsTest {
protected:
    ScriptedDialogs dialogs;
};

TEST_F(RemoteWindows, SettingsSurviveWithoutThePasswordAndReadAsTheCommandLineReadsThem)
{
    RemoteSettings entered;
    {
        TDlgRConfig dlg(dialogs);
        const RemoteSettings defaults = dlg.settings();
        EXPECT_EQ(defaults.loginRequest, "login:");
        EXPECT_EQ(defaults.passwordRequest, "Password:");
        EXPECT_EQ(defaults.maxTime, 1200);
        EXPECT_TRUE(defaults.crOnly);
        EXPECT_EQ(dlg.LineEnd, "\r");
        EXPECT_FALSE(defaults.details);
        EXPECT_EQ(dlg.EdPwd->echoMode(), QLineEdit::Password);

        dlg.EdHost->setText("rechner.example");
        dlg.EdUser->setText("müller");
        dlg.EdPwd->setText("Ge4heim!x");
        dlg.EdPrompt->setText("$ ");
        dlg.EdLoginReq->setText("@login:");
        dlg.EdCmd->setText("nice rx-10-L remote$.rx4 0; echo \"fertig\", ok");
        dlg.EdRPath->setText("/home/müller/rx x;#");
        dlg.RBCRLF->setChecked(true);
        EXPECT_EQ(dlg.LineEnd, "\r\n");
        dlg.EdMaxTime->setValue(3725);
        dlg.CBConDet->setChecked(true);
        dlg.SEdFtpPort->setValue(2121);
        dlg.CBTls->setChecked(true);
        dlg.RBSsh->setChecked(true);
        dlg.SEdSshPort->setValue(2222);
        entered = dlg.settings();
    }
    const std::string file = SettingsStore().location().toStdString();
    const auto text = readWholeFile(file, 1 << 20);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("Ge4heim"), std::string::npos);

    // vemra-cli reads the desktop's file with a reader of its own.
    const auto stored = [](const RemoteSettings& s) {
        return std::tuple(s.host, s.user, s.prompt, s.loginRequest, s.passwordRequest, s.command, s.remotePath,
                          s.crOnly, s.maxTime, s.details, s.ftpPort, s.telnetPort, s.ftpTls, s.connection,
                          s.sshPort);
    };
    EXPECT_EQ(stored(remoteSettingsFromIni(*text)), stored(entered));
    RemoteSettings expected = entered;
    expected.password.clear();

    TDlgRConfig again(dialogs);
    const RemoteSettings back = again.settings();
    EXPECT_EQ(back.command, expected.command);
    EXPECT_EQ(back.remotePath, expected.remotePath);
    EXPECT_FALSE(back.crOnly);
    EXPECT_EQ(again.LineEnd, "\r\n");
    EXPECT_TRUE(back.password.empty());
    EXPECT_EQ(back.connection, RemoteConnection::Ssh);
    EXPECT_EQ(back.sshPort, 2222);
}

TEST_F(RemoteWindows, ConnectionChoiceEnablesOnlyWhatItUses)
{
    TDlgRConfig dlg(dialogs);
    EXPECT_TRUE(dlg.RBFtpTelnet->isChecked());
    // Over SSH there is no login script, no line end and no FTP or Telnet port.
    QWidget* const scriptOnly[] = {dlg.EdPrompt, dlg.EdLoginReq, dlg.EdPWDReq, dlg.RBCR,       dlg.RBCRLF,
                                   dlg.SEdFtpPort, dlg.SEdTelnetPort, dlg.CBTls};
    for (const bool ssh : {true, false}) {
        (ssh ? dlg.RBSsh : dlg.RBFtpTelnet)->setChecked(true);
        for (QWidget* w : scriptOnly)
            EXPECT_EQ(w->isEnabled(), !ssh) << w->objectName().toStdString();
        EXPECT_EQ(dlg.SEdSshPort->isEnabled(), ssh);
    }
    // Next to the TLS choice: what it does not protect.
    auto* note = dlg.findChild<QLabel*>(QStringLiteral("LTlsNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().contains(QStringLiteral("Telnet-Anmeldung sendet das Passwort trotzdem unverschlüsselt")))
        << note->text().toStdString();
}

TEST_F(RemoteWindows, ControlCharactersKeepTheDialogOpenWithAMessage)
{
    TDlgRConfig dlg(dialogs);
    dlg.EdHost->setText("rechner");
    dlg.EdCmd->setText("rx-10-L remote$.rx4 0");
    const std::pair<QLineEdit*, const char*> fields[] = {
        {dlg.EdHost, "HostName:"},    {dlg.EdUser, "UserName:"}, {dlg.EdPwd, "Password:"},
        {dlg.EdPrompt, "Prompt:"},    {dlg.EdLoginReq, "login-Req:"}, {dlg.EdPWDReq, "PWD-Req:"},
        {dlg.EdCmd, "Kommando:"},     {dlg.EdRPath, "Pfad:"},
    };
    for (const auto& [field, label] : fields) {
        const QString before = field->text();
        field->setText(before + QStringLiteral("\r\nDELE evil"));
        dlg.show();
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << label;
        ASSERT_FALSE(dialogs.messages.empty()) << label;
        EXPECT_EQ(dialogs.last().text, std::string("\"") + label
                                           + "\" enthält ein Steuerzeichen (CR, LF, NUL o. ä.) und wird nicht an den "
                                             "Host gesendet.");
        dialogs.clear();
        field->setText(before);
    }
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RemoteWindows, FocusGoesToThePasswordOnceTheHostIsKnown)
{
    for (const bool hostKnown : {false, true}) {
        TDlgRConfig dlg(dialogs);
        dlg.EdHost->setText(hostKnown ? "rechner" : "");
        dlg.show();
        QApplication::processEvents();
        EXPECT_EQ(dlg.focusWidget(), hostKnown ? static_cast<QWidget*>(dlg.EdPwd) : dlg.EdHost);
        dlg.hide();
    }
}

TEST_F(RemoteWindows, ProgressWindowCountsAndClosesOnlyByCancelOrTimeOut)
{
    TDlgRConfig config(dialogs);
    TDlgRProgress w(config, dialogs);
    EXPECT_EQ(w.begin(6), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.LTime->text(), "0h 0m 0s von 0h 0m 6s");
    w.addLine("Filetransfer zum Host gestartet ...");
    w.terminalText("login: vemra\r\nPassword: \x1b[1m#########\x1b[0m");
    EXPECT_EQ(w.Terminal->toPlainText(), "login: vemra\nPassword: #########");

    // A finished run: the window stays, counts on and goes at the maximum.
    w.end(false, 5, 6);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    w.Timer1Timer();
    EXPECT_EQ(w.LTime->text(), "0h 0m 6s von 0h 0m 6s");
    EXPECT_TRUE(w.isVisible());
    // A run started meanwhile goes on with its protocol and time.
    EXPECT_EQ(w.begin(6), 6);
    EXPECT_EQ(w.Memo1->toPlainText(), "Filetransfer zum Host gestartet ...");
    w.end(false, 6, 6);
    w.Timer1Timer();
    EXPECT_TRUE(w.TimedOut);
    EXPECT_FALSE(w.isVisible());

    // Shown anew: empty, and its cancel button ends the run.
    EXPECT_EQ(w.begin(3725), 0);
    EXPECT_TRUE(w.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(w.Terminal->toPlainText().isEmpty());
    EXPECT_EQ(w.LTime->text(), "0h 0m 0s von 1h 2m 5s");
    EXPECT_FALSE(w.cancelRequested());
    w.BitBtn1->click();
    EXPECT_TRUE(w.cancelRequested());
    EXPECT_FALSE(w.isVisible());
}

} // namespace
} // namespace vemra::test
