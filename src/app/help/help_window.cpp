#include "help_window.h"

#include "app/window_layout.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vemra {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Vemra – Hilfe"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    // Links within the help stay here; links to the web go to the desktop,
    // which may have a way the launcher lacked.
    browser_->setOpenExternalLinks(true);
    layout->addWidget(browser_);
    resize(760, 820);
}

void HelpWindow::showFile(const QString& htmlFile)
{
    browser_->setSource(QUrl::fromLocalFile(htmlFile));
    if (!isVisible())
        fitToAvailableArea(*this);
    show();
    raise();
    activateWindow();
}

} // namespace vemra
