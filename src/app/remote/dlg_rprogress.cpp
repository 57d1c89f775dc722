#include "dlg_rprogress.h"

#include "dlg_rconfig.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace vemra {

namespace {

QString timeText(int32_t elapsed, int32_t maxTime)
{
    return QString::fromStdString(formatRemoteTime(elapsed) + " von " + formatRemoteTime(maxTime));
}

} // namespace

TDlgRProgress::TDlgRProgress(TDlgRConfig& settings, UserDialogs& dialogs, QWidget* parent,
                             RemoteTransports* transports)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      ownTransports_(SshPrompts{&dialogs, {}}), runner_(transports ? *transports : ownTransports_, settings, *this, clock_)
{
    build();
}

void TDlgRProgress::build()
{
    setObjectName(QStringLiteral("TDlgRProgress"));
    setWindowTitle(QStringLiteral("externe Berechnung"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    Terminal = new QPlainTextEdit(this);
    Terminal->setObjectName(QStringLiteral("Terminal"));
    Terminal->setReadOnly(true);
    Terminal->setLineWrapMode(QPlainTextEdit::NoWrap);
    Terminal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Terminal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Terminal->setFont(fixed);
    const QFontMetrics metrics(fixed);
    Terminal->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('M')) * TerminalBuffer::Columns + 16,
                             metrics.lineSpacing() * TerminalBuffer::Rows + 12);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(Memo1);
    split->addWidget(Terminal);
    split->setStretchFactor(0, 1);

    LTime = new QLabel(QStringLiteral("?"), this);
    LTime->setObjectName(QStringLiteral("LTime"));
    BitBtn1 = new QPushButton(QStringLiteral("Abbrechen"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    auto* panel = new QHBoxLayout;
    panel->addWidget(new QLabel(QStringLiteral("Zeit:"), this));
    panel->addWidget(LTime, 1);
    panel->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(panel);
    resize(1100, 520);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

int32_t TDlgRProgress::begin(int32_t maxTime)
{
    maxTime_ = maxTime;
    // The run counts the time itself; the timer runs only after it.
    Timer1->stop();
    if (!isVisible()) {
        Aborted = false;
        TimedOut = false;
        ElapsedSeconds = 0;
        Memo1->clear();
        screen_.clear();
        Terminal->clear();
        LTime->setText(timeText(0, maxTime));
        show();
    }
    raise();
    return ElapsedSeconds;
}

void TDlgRProgress::addLine(const std::string& line)
{
    Memo1->appendPlainText(QString::fromStdString(line));
}

void TDlgRProgress::terminalText(const std::string& text)
{
    screen_.write(text);
    Terminal->setPlainText(QString::fromStdString(screen_.text()));
}

void TDlgRProgress::showTime(int32_t elapsed, int32_t maxTime)
{
    ElapsedSeconds = elapsed;
    maxTime_ = maxTime;
    LTime->setText(timeText(elapsed, maxTime));
}

void TDlgRProgress::end(bool close, int32_t elapsed, int32_t maxTime)
{
    showTime(elapsed, maxTime);
    if (close) {
        if (!Aborted)
            TimedOut = true;
        QWidget::close();
        return;
    }
    Timer1->start();
}

void TDlgRProgress::Timer1Timer()
{
    ++ElapsedSeconds;
    if (ElapsedSeconds > maxTime_) {
        TimedOut = true;
        close();
        return;
    }
    LTime->setText(timeText(ElapsedSeconds, maxTime_));
}

void TDlgRProgress::BitBtn1Click()
{
    Aborted = true;
    close();
}

void TDlgRProgress::closeEvent(QCloseEvent* event)
{
    if (!Aborted && !TimedOut) {
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
}

} // namespace vemra
