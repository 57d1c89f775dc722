// The help inside the program, for a machine on which no web browser can
// be started: the help file in a window of its own, its links working.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace vemra {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    // Shows htmlFile from its beginning and brings the window to the front.
    void showFile(const QString& htmlFile);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace vemra
