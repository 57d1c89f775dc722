// Runs the widget tests inside one QApplication on the offscreen platform,
// with settings and standard paths redirected to a temporary folder so that
// no test reads or writes the user's own.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app_fixture.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Norwald"));
    QApplication::setApplicationName(QStringLiteral("VemraTest"));

    QTemporaryDir settingsRoot;
    if (!settingsRoot.isValid())
        return 2;
    vemra::test::setSettingsRoot(settingsRoot.path());

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
