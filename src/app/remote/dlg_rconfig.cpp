#include "dlg_rconfig.h"

#include "model/user_dialogs.h"
#include "platform/qt/settings_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace vemra {

namespace {

const QString key = QString::fromLatin1(RemoteSettingsKey);

QLineEdit* lineEdit(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QSpinBox* spinBox(const char* name, int low, int high, int value, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(low, high);
    s->setValue(value);
    return s;
}

std::string text(const QLineEdit* e)
{
    return e->text().toStdString();
}

} // namespace

TDlgRConfig::TDlgRConfig(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("TDlgRConfig"));
    setWindowTitle(QStringLiteral("Remote-Config"));

    EdHost = lineEdit("EdHost", this);
    EdUser = lineEdit("EdUser", this);
    EdPwd = lineEdit("EdPwd", this);
    EdPwd->setEchoMode(QLineEdit::Password);
    EdPrompt = lineEdit("EdPrompt", this);
    EdLoginReq = lineEdit("EdLoginReq", this);
    EdLoginReq->setText(QString::fromLatin1(DefaultLoginRequest));
    EdPWDReq = lineEdit("EdPWDReq", this);
    EdPWDReq->setText(QString::fromLatin1(DefaultPasswordRequest));
    EdCmd = lineEdit("EdCmd", this);
    EdRPath = lineEdit("EdRPath", this);
    RBCR = new QRadioButton(QStringLiteral("CR"), this);
    RBCR->setObjectName(QStringLiteral("RBCR"));
    RBCRLF = new QRadioButton(QStringLiteral("CR+LF"), this);
    RBCRLF->setObjectName(QStringLiteral("RBCRLF"));
    EdMaxTime = spinBox("EdMaxTime", MinMaxTime, MaxMaxTime, DefaultMaxTime, this);
    EdMaxTime->setSingleStep(10);
    CBConDet = new QCheckBox(QStringLiteral("Verbindungsdetails"), this);
    CBConDet->setObjectName(QStringLiteral("CBConDet"));
    SEdFtpPort = spinBox("SEdFtpPort", 1, 65535, 21, this);
    SEdTelnetPort = spinBox("SEdTelnetPort", 1, 65535, 23, this);
    CBTls = new QCheckBox(QStringLiteral("TLS (FTPS)"), this);
    CBTls->setObjectName(QStringLiteral("CBTls"));
    LTlsNote = new QLabel(QString::fromUtf8(TlsCoverageNote), this);
    LTlsNote->setObjectName(QStringLiteral("LTlsNote"));
    LTlsNote->setWordWrap(true);
    RBFtpTelnet = new QRadioButton(QStringLiteral("FTP/Telnet"), this);
    RBFtpTelnet->setObjectName(QStringLiteral("RBFtpTelnet"));
    RBSsh = new QRadioButton(QStringLiteral("SSH"), this);
    RBSsh->setObjectName(QStringLiteral("RBSsh"));
    SEdSshPort = spinBox("SEdSshPort", 1, 65535, 22, this);
    // Radio buttons of one parent would otherwise exclude each other across
    // both choices.
    for (const auto& [first, second] : {std::pair{RBCR, RBCRLF}, {RBFtpTelnet, RBSsh}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
        first->setChecked(true);
    }

    auto* form = new QFormLayout;
    auto* connection = new QHBoxLayout;
    connection->addWidget(RBFtpTelnet);
    connection->addWidget(RBSsh);
    connection->addStretch();
    form->addRow(QStringLiteral("Verbindung:"), connection);
    form->addRow(QStringLiteral("HostName:"), EdHost);
    form->addRow(QStringLiteral("UserName:"), EdUser);
    form->addRow(QStringLiteral("Password:"), EdPwd);
    form->addRow(QStringLiteral("Prompt:"), EdPrompt);
    form->addRow(QStringLiteral("login-Req:"), EdLoginReq);
    form->addRow(QStringLiteral("PWD-Req:"), EdPWDReq);
    form->addRow(QStringLiteral("Kommando:"), EdCmd);
    form->addRow(QStringLiteral("Pfad:"), EdRPath);
    auto* lineEnds = new QHBoxLayout;
    lineEnds->addWidget(RBCR);
    lineEnds->addWidget(RBCRLF);
    lineEnds->addStretch();
    form->addRow(QStringLiteral("Abschluß:"), lineEnds);
    auto* maxTime = new QHBoxLayout;
    maxTime->addWidget(EdMaxTime);
    maxTime->addWidget(new QLabel(QStringLiteral("sec"), this));
    maxTime->addStretch();
    form->addRow(QStringLiteral("TimeOut:"), maxTime);
    auto* ports = new QHBoxLayout;
    ports->addWidget(SEdFtpPort);
    ports->addWidget(new QLabel(QStringLiteral("Telnet-Port:"), this));
    ports->addWidget(SEdTelnetPort);
    ports->addStretch();
    form->addRow(QStringLiteral("FTP-Port:"), ports);
    auto* tls = new QHBoxLayout;
    tls->addWidget(CBTls);
    tls->addWidget(LTlsNote, 1);
    form->addRow(QString(), tls);
    auto* sshPort = new QHBoxLayout;
    sshPort->addWidget(SEdSshPort);
    sshPort->addStretch();
    form->addRow(QStringLiteral("SSH-Port:"), sshPort);
    form->addRow(QString(), CBConDet);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    EdHost->setMinimumWidth(320);

    const auto lineEndFollows = [this] {
        LineEnd = QString::fromLatin1(RBCR->isChecked() ? "\r" : "\r\n");
    };
    connect(RBCR, &QRadioButton::toggled, this, lineEndFollows);
    connect(RBSsh, &QRadioButton::toggled, this, [this] { connectionChanged(); });
    readSettings(SettingsStore());
    lineEndFollows();
    connectionChanged();
}

void TDlgRConfig::connectionChanged()
{
    const bool ssh = RBSsh->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EdPrompt, EdLoginReq, EdPWDReq, RBCR, RBCRLF, SEdFtpPort,
                                                      SEdTelnetPort, CBTls, LTlsNote})
        w->setEnabled(!ssh);
    SEdSshPort->setEnabled(ssh);
}

void TDlgRConfig::accept()
{
    if (const auto problem = controlCharacterProblem(settings())) {
        dialogs_.error(*problem);
        return;
    }
    QDialog::accept();
}

TDlgRConfig::~TDlgRConfig()
{
    SettingsStore store;
    writeSettings(store);
}

void TDlgRConfig::readSettings(const SettingsStore& store)
{
    if (store.keyExists(key)) {
        const auto string = [&](const char* name, QLineEdit* e) {
            if (auto v = store.readString(key, QString::fromLatin1(name)))
                e->setText(*v);
        };
        string(RemoteValue::HostName, EdHost);
        string(RemoteValue::UserName, EdUser);
        string(RemoteValue::Prompt, EdPrompt);
        string(RemoteValue::LoginReq, EdLoginReq);
        string(RemoteValue::PWDReq, EdPWDReq);
        string(RemoteValue::Cmd, EdCmd);
        string(RemoteValue::RPath, EdRPath);
        if (auto v = store.readInteger(key, QString::fromLatin1(RemoteValue::MaxTime)))
            EdMaxTime->setValue(*v);
        if (auto v = store.readBool(key, QString::fromLatin1(RemoteValue::CRonly))) {
            RBCR->setChecked(*v);
            RBCRLF->setChecked(!*v);
        }
        if (auto v = store.readBool(key, QString::fromLatin1(RemoteValue::CDetails)))
            CBConDet->setChecked(*v);
        if (auto v = store.readInteger(key, QString::fromLatin1(RemoteValue::FtpPort)))
            SEdFtpPort->setValue(*v);
        if (auto v = store.readInteger(key, QString::fromLatin1(RemoteValue::TelnetPort)))
            SEdTelnetPort->setValue(*v);
        if (auto v = store.readBool(key, QString::fromLatin1(RemoteValue::FtpTls)))
            CBTls->setChecked(*v);
        if (auto v = store.readBool(key, QString::fromLatin1(RemoteValue::UseSsh)); v && *v)
            RBSsh->setChecked(true);
        if (auto v = store.readInteger(key, QString::fromLatin1(RemoteValue::SshPort)))
            SEdSshPort->setValue(*v);
    }
    // An empty request text would match whatever the host says.
    if (EdLoginReq->text().isEmpty())
        EdLoginReq->setText(QString::fromLatin1(DefaultLoginRequest));
    if (EdPWDReq->text().isEmpty())
        EdPWDReq->setText(QString::fromLatin1(DefaultPasswordRequest));
}

void TDlgRConfig::writeSettings(SettingsStore& store) const
{
    const auto string = [&](const char* name, const QLineEdit* e) {
        store.writeString(key, QString::fromLatin1(name), e->text());
    };
    string(RemoteValue::HostName, EdHost);
    string(RemoteValue::UserName, EdUser);
    string(RemoteValue::Prompt, EdPrompt);
    string(RemoteValue::LoginReq, EdLoginReq);
    string(RemoteValue::PWDReq, EdPWDReq);
    string(RemoteValue::Cmd, EdCmd);
    string(RemoteValue::RPath, EdRPath);
    store.writeBool(key, QString::fromLatin1(RemoteValue::CRonly), RBCR->isChecked());
    store.writeInteger(key, QString::fromLatin1(RemoteValue::MaxTime), EdMaxTime->value());
    store.writeBool(key, QString::fromLatin1(RemoteValue::CDetails), CBConDet->isChecked());
    store.writeInteger(key, QString::fromLatin1(RemoteValue::FtpPort), SEdFtpPort->value());
    store.writeInteger(key, QString::fromLatin1(RemoteValue::TelnetPort), SEdTelnetPort->value());
    store.writeBool(key, QString::fromLatin1(RemoteValue::FtpTls), CBTls->isChecked());
    store.writeBool(key, QString::fromLatin1(RemoteValue::UseSsh), RBSsh->isChecked());
    store.writeInteger(key, QString::fromLatin1(RemoteValue::SshPort), SEdSshPort->value());
}

RemoteSettings TDlgRConfig::settings() const
{
    RemoteSettings s;
    s.host = text(EdHost);
    s.user = text(EdUser);
    s.password = text(EdPwd);
    s.prompt = text(EdPrompt);
    s.loginRequest = text(EdLoginReq);
    s.passwordRequest = text(EdPWDReq);
    s.command = text(EdCmd);
    s.remotePath = text(EdRPath);
    s.crOnly = RBCR->isChecked();
    s.maxTime = EdMaxTime->value();
    s.details = CBConDet->isChecked();
    s.ftpPort = SEdFtpPort->value();
    s.telnetPort = SEdTelnetPort->value();
    s.ftpTls = CBTls->isChecked();
    s.connection = RBSsh->isChecked() ? RemoteConnection::Ssh : RemoteConnection::FtpTelnet;
    s.sshPort = SEdSshPort->value();
    return s;
}

std::optional<RemoteSettings> TDlgRConfig::askSettings()
{
    if (!execModal())
        return std::nullopt;
    return settings();
}

void TDlgRConfig::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Everything else is usually as it was: only the password is new.
    QWidget* first = EdHost->text().isEmpty() ? static_cast<QWidget*>(EdHost) : EdPwd;
    first->setFocus();
}

} // namespace vemra
