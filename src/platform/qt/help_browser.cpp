#include "help_browser.h"

#include <QDesktopServices>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

namespace vemra {

namespace {

// How long a launcher may take to report a failure before it counts as
// started: desktop launchers hand the file on and end within this time.
constexpr int LauncherVerdictMs = 1500;

} // namespace

HelpBrowser::HelpBrowser(QStringList launchers, bool askPlatform)
    : launchers_(std::move(launchers)), askPlatform_(askPlatform)
{
}

HelpBrowser::~HelpBrowser()
{
    terminate();
}

QStringList HelpBrowser::defaultLaunchers()
{
    QStringList list{QStringLiteral("xdg-open")};
    // A browser the user named for all programs comes next.
    const QString browser = QProcessEnvironment::systemEnvironment().value(QStringLiteral("BROWSER"));
    for (const QString& b : browser.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        list << b;
    list << QStringLiteral("x-www-browser") << QStringLiteral("sensible-browser");
    return list;
}

bool HelpBrowser::open(const QString& htmlFile)
{
    const QString url = QUrl::fromLocalFile(htmlFile).toString();
    for (const QString& launcher : launchers_) {
        const QString program
            = launcher.contains(QLatin1Char('/')) ? launcher : QStandardPaths::findExecutable(launcher);
        if (program.isEmpty())
            continue;
        auto process = std::make_unique<QProcess>();
        process->setProgram(program);
        process->setArguments({url});
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted())
            continue;
        if (process->waitForFinished(LauncherVerdictMs)
            && (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0))
            continue; // the launcher found no browser either
        terminate();
        process_ = std::move(process);
        return true;
    }
    // No launcher of our own: let Qt ask the platform. Nothing to end later.
    if (askPlatform_ && QDesktopServices::openUrl(QUrl::fromLocalFile(htmlFile)))
        return true;
    return false;
}

void HelpBrowser::terminate()
{
    if (!process_)
        return;
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(1000))
            process_->kill();
        process_->waitForFinished(1000);
    }
    process_.reset();
}

} // namespace vemra
