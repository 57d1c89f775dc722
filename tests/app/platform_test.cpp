// The desktop's platform pieces: message boxes and file dialogs behind the
// core's UserDialogs, the help browser, the module's working directory and
// the screen-saver inhibit over D-Bus.
#include "app_fixture.h"

#include "app_session.h"
#include "help/help_window.h"

#include "diagram/picture_options.h"

#include "platform/qt/dbus_screen_saver.h"
#include "platform/qt/help_browser.h"
#include "platform/qt/qt_user_dialogs.h"
#include "platform/qt/settings_store.h"
#include "platform/qt/working_directory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QScreen>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>

#include <functional>

namespace vemra::test {
namespace {

// Runs `act` on the next modal dialog as soon as it is shown.
void onNextModal(const std::function<void(QWidget*)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start();
}

// --- message boxes ------------------------------------------------------------------

TEST(QtUserDialogsTest, BoxesShowTheirKindTextAndFixedButtons)
{
    QtUserDialogs dialogs;
    EXPECT_EQ(QtUserDialogs::displayText("Zeile 1\rZeile 2\r\nZeile 3"), "Zeile 1\nZeile 2\nZeile 3");

    std::unique_ptr<QMessageBox> box(dialogs.createMessageBox(
        DialogKind::Confirmation, "Das Projekt \"P\" wurde bearbeitet.\rSollen die Änderungen gesichert werden?",
        ButtonYes | ButtonNo | ButtonAbort));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "Das Projekt \"P\" wurde bearbeitet.\nSollen die Änderungen gesichert werden?");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Abort);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Abort));

    std::unique_ptr<QMessageBox> error(dialogs.createMessageBox(DialogKind::Error, "x", ButtonOk));
    EXPECT_EQ(error->icon(), QMessageBox::Critical);
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->windowTitle(), "Fehler");
    std::unique_ptr<QMessageBox> warning(dialogs.createMessageBox(DialogKind::Warning, "x", ButtonCancel));
    EXPECT_EQ(warning->icon(), QMessageBox::Warning);
    EXPECT_EQ(warning->standardButtons(), QMessageBox::Cancel);
    std::unique_ptr<QMessageBox> info(dialogs.createMessageBox(DialogKind::Information, "x", ButtonNone));
    EXPECT_EQ(info->icon(), QMessageBox::Information);
    EXPECT_EQ(info->standardButtons(), QMessageBox::Ok) << "a box can always be closed";
}

TEST(QtUserDialogsTest, TheClickedButtonIsTheAnswer)
{
    QtUserDialogs dialogs;
    QString shownText;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.message(DialogKind::Confirmation, "Laufende Berechnung abbrechen?", ButtonYes | ButtonNo),
              ButtonNo);
    EXPECT_EQ(shownText, "Laufende Berechnung abbrechen?");

    // Escape gives the most cautious answer offered.
    onNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(dialogs.message(DialogKind::Confirmation, "?", ButtonYes | ButtonNo | ButtonAbort), ButtonAbort);
}

TEST(QtUserDialogsTest, StandardButtonsSpeakGerman)
{
    ASSERT_TRUE(installGermanQtTranslations(*qApp)) << "qtbase_de.qm is part of the installation";
    QtUserDialogs dialogs;
    std::unique_ptr<QMessageBox> box(
        dialogs.createMessageBox(DialogKind::Confirmation, "?", ButtonYes | ButtonNo | ButtonAbort | ButtonCancel));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(box->button(QMessageBox::No)->text(), "&Nein");
    EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), "Abbrechen");
}

TEST(QtUserDialogsTest, FileDialogsFollowTheRequest)
{
    FileDialogRequest open;
    open.title = "Projekt öffnen";
    open.filters = {{"Projektdatei (*.r4p)", "*.r4p"}};
    open.defaultExtension = "r4p";
    open.mustExist = true;
    EXPECT_EQ(QtUserDialogs::nameFilters(open), QStringList{"Projektdatei (*.r4p)"});
    FileDialogRequest save;
    save.filters = {{"Projektdatei", "*.r4p"}, {"Alle", "*.a;*.b"}};
    EXPECT_EQ(QtUserDialogs::nameFilters(save), (QStringList{"Projektdatei (*.r4p)", "Alle (*.a *.b)"}));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile existing(dir.filePath("p.r4p"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    open.initialDirectory = dir.path().toStdString();

    QtUserDialogs dialogs;
    QString title, suffix, directory;
    onNextModal([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        title = fd->windowTitle();
        suffix = fd->defaultSuffix();
        directory = fd->directory().absolutePath();
        fd->selectFile(dir.filePath("p.r4p"));
        QMetaObject::invokeMethod(fd, "accept");
    });
    const auto chosen = dialogs.chooseFile(open);
    EXPECT_EQ(title, "Projekt öffnen");
    EXPECT_EQ(suffix, "r4p");
    EXPECT_EQ(directory, QDir(dir.path()).absolutePath());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(QString::fromStdString(*chosen), QDir(dir.path()).absoluteFilePath("p.r4p"));

    onNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(dialogs.chooseFile(open)) << "cancel";
}

TEST(QtUserDialogsTest, SaveDialogTakesTheExtensionOfTheFileTypeAndKeepsItsPlace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("bilder"));
    FileDialogRequest request = pictureSaveRequest({});
    request.initialDirectory = dir.path().toStdString() + "/";
    QtUserDialogs dialogs;

    // A name typed without extension, the metafile type chosen from the list
    // (its caption holds a double blank, which the dialog shows as one).
    QString directory;
    onNextModal([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        directory = fd->directory().absolutePath();
        auto* types = fd->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(2);
        emit types->activated(2);
        emit types->textActivated(types->currentText());
        fd->findChild<QLineEdit*>("fileNameEdit")->setText(dir.filePath("bilder/kurve"));
        QMetaObject::invokeMethod(fd, "accept");
    });
    const auto chosen = dialogs.chooseFile(request);
    EXPECT_EQ(directory, QDir(dir.path()).absolutePath());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(QString::fromStdString(*chosen), QDir(dir.path()).absoluteFilePath("bilder/kurve.emf"));

    // The next picture of the same project starts there, as a metafile.
    QString type;
    onNextModal([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        directory = fd->directory().absolutePath();
        type = fd->selectedNameFilter();
        fd->reject();
    });
    EXPECT_FALSE(dialogs.chooseFile(request));
    EXPECT_EQ(directory, QDir(dir.path()).absoluteFilePath("bilder"));
    EXPECT_EQ(type, "Enhanced Metafile (*.emf)");

    // Kept in the settings for the next run.
    {
        SettingsStore store;
        writeSavePlaces(store, dialogs.places());
    }
    SaveDialogMemory read;
    readSavePlaces(SettingsStore(), read);
    EXPECT_EQ(read.places, dialogs.places().places);
}

// --- help ---------------------------------------------------------------------------

class HelpTest : public MainWindowTest {
protected:
    // A launcher that keeps running like a browser window.
    QString browserScript()
    {
        const QString path = dir.filePath("browser.sh");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexec sleep 30\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
};

TEST_F(HelpTest, LaunchersAreTriedInTurn)
{
    HelpBrowser none({dir.filePath("fehlt"), QStringLiteral("false")}, false);
    EXPECT_FALSE(none.open(TDlgMain::helpFile()));
    EXPECT_FALSE(none.started());

    HelpBrowser browser({QStringLiteral("false"), browserScript()}, false);
    EXPECT_TRUE(browser.open(TDlgMain::helpFile()));
    EXPECT_TRUE(browser.started());
    browser.terminate();
    EXPECT_FALSE(browser.started());
}

TEST_F(HelpTest, WithoutABrowserTheHelpShowsInAWindowOfTheProgram)
{
    ASSERT_TRUE(QFile::exists(TDlgMain::helpFile())) << "the help file is copied beside the programs";
    window->setHelpBrowser(std::make_unique<HelpBrowser>(QStringList{dir.filePath("fehlt")}, false));
    window->ShowHelp->trigger();
    EXPECT_TRUE(dialogs.messages.empty()) << "no error: the help is there";
    EXPECT_FALSE(window->HelpStarted());
    HelpWindow* help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->source(), QUrl::fromLocalFile(TDlgMain::helpFile()));
    EXPECT_TRUE(help->browser()->toPlainText().contains("Bewegungsvorgabe"));
    // It is no larger than the screen's free area.
    EXPECT_TRUE(help->screen()->availableGeometry().contains(help->geometry()));

    // Asked again, the same window comes to the front.
    help->close();
    window->ShowHelp->trigger();
    EXPECT_EQ(window->helpWindow(), help);
    EXPECT_TRUE(help->isVisible());

    // With a browser the program's window is not needed.
    help->close();
    window->setHelpBrowser(std::make_unique<HelpBrowser>(QStringList{browserScript()}, false));
    window->ShowHelp->trigger();
    EXPECT_TRUE(window->HelpStarted());
    EXPECT_FALSE(help->isVisible());
}

TEST(HelpFileTest, IsAGermanHtmlPageAboutTheProgram)
{
    const QString html = QString::fromUtf8(fileBytes(TDlgMain::helpFile()));
    EXPECT_TRUE(html.contains("lang=\"de\""));
    for (const char* topic : {"Bewegungsvorgabe", "Restriktion", "Berechnen", ".r4p", "Optimierungsobjekt"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(topic))) << topic;
}

// --- working directory ------------------------------------------------------------

TEST(WorkingDirectoryTest, IsCreatedAndBecomesCurrent)
{
    const QString before = QDir::currentPath();
    const QString work = moduleWorkingDirectory();
    EXPECT_TRUE(work.endsWith("/work"));
    EXPECT_TRUE(work.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
    QDir(work).removeRecursively();

    QString error;
    ASSERT_TRUE(enterModuleWorkingDirectory(&error)) << error.toStdString();
    EXPECT_TRUE(QDir(work).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(work).absolutePath());
    QDir::setCurrent(before);
}

// --- screen saver -----------------------------------------------------------------

// Stands in for the desktop's screen-saver service.
class FakeScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QAtomicInt inhibitions = 0;

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        inhibitions.fetchAndAddOrdered(1);
        return 42;
    }
    void UnInhibit(uint cookie)
    {
        if (cookie == 42)
            inhibitions.fetchAndAddOrdered(-1);
    }
};

TEST(DBusScreenSaverTest, WithoutAServiceNothingIsSwitched)
{
    DBusScreenSaver saver(QDBusConnection(QStringLiteral("nirgends")));
    EXPECT_FALSE(saver.isActive());
    saver.setActive(false);
    EXPECT_FALSE(saver.inhibited());
    EXPECT_FALSE(saver.isActive());
}

TEST(DBusScreenSaverTest, InhibitsThroughTheSessionService)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "no dbus-daemon on this machine";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    // The service answers from a thread of its own, as a separate program would.
    QThread serviceThread;
    serviceThread.start();
    auto* service = new FakeScreenSaverService;
    service->moveToThread(&serviceThread);
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, QStringLiteral("saver-service"));
        ASSERT_TRUE(serviceBus.isConnected());
        ASSERT_TRUE(serviceBus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), service,
                                              QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serviceBus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

        QDBusConnection clientBus = QDBusConnection::connectToBus(address, QStringLiteral("saver-client"));
        {
            DBusScreenSaver saver(clientBus);
            EXPECT_TRUE(saver.isActive());
            saver.setActive(false);
            EXPECT_TRUE(saver.inhibited());
            EXPECT_FALSE(saver.isActive()) << "the computation reports the screen saver as off";
            EXPECT_EQ(service->inhibitions.loadAcquire(), 1);
            saver.setActive(true);
            EXPECT_EQ(service->inhibitions.loadAcquire(), 0);
            saver.setActive(false);
        }
        EXPECT_EQ(service->inhibitions.loadAcquire(), 0) << "an inhibition never outlives its holder";
        serviceBus.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("saver-service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("saver-client"));
    QMetaObject::invokeMethod(service, &QObject::deleteLater);
    serviceThread.quit();
    serviceThread.wait();
    bus.terminate();
    bus.waitForFinished(3000);
}

} // namespace
} // namespace vemra::test

#include "platform_test.moc"
