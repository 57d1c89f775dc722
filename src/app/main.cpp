// The desktop program: a tree of projects, their computation by the
// synthesis module, and everything to look at the results.
#include "app_session.h"
#include "dlg_main.h"

#include "platform/qt/qt_user_dialogs.h"
#include "platform/qt/settings_store.h"
#include "platform/qt/working_directory.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

int main(int argc, char** argv)
{
    vemra::VemraApplication app(argc, argv);
    vemra::initialiseApplication(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Bewegungsgesetze durch harmonische Synthese"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("projekt.r4p"), QStringLiteral("Zu öffnende Projektdateien"),
                                 QStringLiteral("[projekt.r4p...]"));
    parser.process(app);

    // Names on the command line are relative to where the program was
    // started, not to the working directory it moves to.
    QStringList projects;
    for (const QString& f : parser.positionalArguments())
        projects << QFileInfo(f).absoluteFilePath();

    QString error;
    const bool haveWorkDir = vemra::enterModuleWorkingDirectory(&error);

    vemra::QtUserDialogs dialogs;
    vemra::readSavePlaces(vemra::SettingsStore(), dialogs.places());
    vemra::AppSession session(dialogs);
    vemra::TDlgMain& mainWindow = session.main();
    dialogs.setParent(&mainWindow);
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&mainWindow, &vemra::TDlgMain::closed, &app, &QCoreApplication::quit);
    mainWindow.show();

    if (!haveWorkDir)
        dialogs.error(error.toStdString());
    mainWindow.openFiles(projects);
    const int status = app.exec();
    vemra::SettingsStore store;
    vemra::writeSavePlaces(store, dialogs.places());
    store.flush();
    return status;
}
