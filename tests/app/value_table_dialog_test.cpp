// "Vorgabe Wertetabelle" and the value table command of the file menu.
#include "app_fixture.h"

#include "app/report/dlg_tab.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTimer>

namespace vemra::test {
namespace {

class ValueTableDialogTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dialog = new TDlgTab(dialogs, window.get());
        changeWindows([this](AppWindows& w) { w.valueTable = dialog; });
    }
    // Runs the modal dialog, doing what the user does while it is open.
    bool runModal(const std::function<void()>& user)
    {
        QTimer::singleShot(0, dialog, [&] { user(); });
        return dialog->execModal();
    }
    std::vector<bool> checked() const
    {
        std::vector<bool> result;
        for (int c = 0; c < TableColumnCount; ++c)
            result.push_back(dialog->column(static_cast<TableColumn>(c))->isChecked());
        return result;
    }

    TDlgTab* dialog = nullptr;
};

TEST_F(ValueTableDialogTest, DefaultsAndTheLastColumnLock)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Vorgabe Wertetabelle"));
    EXPECT_EQ(checked(), (std::vector<bool>{true, true, true, false, false, false, false, false, false}));
    EXPECT_EQ(dialog->Edwidth->minimum(), 4);
    EXPECT_EQ(dialog->Edwidth->maximum(), 10);
    EXPECT_EQ(dialog->Edwidth->value(), 6);
    EXPECT_EQ(dialog->EdInc->text(), QStringLiteral("1.0"));
    EXPECT_EQ(dialog->PrnM->text(), QStringLiteral("s'·s''"));

    dialog->Prns1->click();
    dialog->Prns2->click();
    EXPECT_FALSE(dialog->Prns0->isEnabled()) << "the last checked column cannot be cleared";
    EXPECT_TRUE(dialog->Prns1->isEnabled());
    dialog->Prns0->click();
    EXPECT_TRUE(dialog->Prns0->isChecked());
    dialog->PrnM->click();
    for (int c = 0; c < TableColumnCount; ++c)
        EXPECT_TRUE(dialog->column(static_cast<TableColumn>(c))->isEnabled());
}

TEST_F(ValueTableDialogTest, SettingsLastUntilTheProgramEnds)
{
    // The step as typed: comma or point, out of range taken as the limit,
    // no number keeps the dialog open.
    struct Case {
        const char* typed;
        bool accepted;
        double step;
    };
    for (const Case& c : {Case{"0,5", true, 0.5}, Case{"200", true, 90}, Case{"1e-6", true, 0.0001},
                          Case{"abc", false, 0.0001}}) {
        EXPECT_EQ(runModal([&] {
                      dialog->Edwidth->setValue(8);
                      dialog->EdInc->setText(QString::fromLatin1(c.typed));
                      dialog->accept();
                      if (dialog->isVisible())
                          dialog->reject();
                  }),
                  c.accepted)
            << c.typed;
        EXPECT_DOUBLE_EQ(dialog->settings().step, c.step) << c.typed;
    }
    EXPECT_EQ(dialog->settings().digits, 8);

    // Cancelling keeps the settings and shows them again next time.
    runModal([&] {
        dialog->Prnq3->click();
        dialog->reject();
    });
    EXPECT_FALSE(dialog->settings().column(TableColumn::Q3));
    runModal([&] {
        EXPECT_FALSE(dialog->Prnq3->isChecked());
        dialog->reject();
    });
}

TEST_F(ValueTableDialogTest, FileMenuWritesTheTableOfTheSelectedMotion)
{
    TreeItem* hub = openExample("hubkurve.r4p");
    ASSERT_NE(hub, nullptr);
    TreeItem* motion = hub->Child(0);
    ASSERT_NE(motion->NodeAs<TRXHeader>(), nullptr);
    select(motion->Child(0)); // a restriction stands for its motion
    window->UpdateMenus(motion->Child(0));
    ASSERT_TRUE(window->MkTable->isEnabled());

    const std::string file = tempFile("hub.tab");
    dialogs.chooseFileResult(file);
    window->MkTable->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "Wertetabelle sichern");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "tab");
    const QList<QByteArray> lines = fileBytes(file).split('\n');
    EXPECT_EQ(lines.size(), 362); // 361 lines and the empty rest after the last
    EXPECT_TRUE(lines[0].startsWith(" 0.0\t "));
    EXPECT_TRUE(lines[360].startsWith(" 360.0\t "));
}

TEST_F(ValueTableDialogTest, ALongTableShowsItsProgressAndCanBeCancelled)
{
    TreeItem* hub = openExample("hubkurve.r4p");
    ASSERT_NE(hub, nullptr);
    ValueTableSettings finest;
    finest.step = 0.0001;
    dialog->setSettings(finest);
    const std::string file = tempFile("fein.tab");
    {
        QFile previous(QString::fromStdString(file));
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("vorher\r\n");
    }

    // The user presses "Abbrechen" as soon as the progress shows.
    bool shown = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QProgressDialog* progress : window->findChildren<QProgressDialog*>())
            if (progress->isVisible()) {
                shown = true;
                progress->cancel();
            }
    });
    user.start(50);
    dialogs.chooseFileResult(file);
    dialog->tabulate(hub->Child(0));
    user.stop();

    EXPECT_TRUE(shown);
    EXPECT_EQ(fileBytes(file), QByteArray("vorher\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "temporary file left";
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace vemra::test
