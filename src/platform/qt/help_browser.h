// Opens an HTML file in the desktop's web browser and remembers the process
// it started, so the program can end it when it shuts down itself.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

namespace vemra {

class HelpBrowser {
public:
    // The launchers tried in order; each gets the file's URL as argument.
    // The default list asks the desktop ("xdg-open") first. askPlatform:
    // when no launcher works, let the platform integration try as well.
    explicit HelpBrowser(QStringList launchers = defaultLaunchers(), bool askPlatform = true);
    ~HelpBrowser();
    HelpBrowser(const HelpBrowser&) = delete;
    HelpBrowser& operator=(const HelpBrowser&) = delete;

    static QStringList defaultLaunchers();

    // True when a browser could be started for the file.
    bool open(const QString& htmlFile);
    // A browser process this object started (HelpStarted).
    bool started() const { return process_ != nullptr; }
    // Ends the browser process this object started, if it still runs.
    void terminate();

private:
    QStringList launchers_;
    bool askPlatform_;
    std::unique_ptr<QProcess> process_;
};

} // namespace vemra
