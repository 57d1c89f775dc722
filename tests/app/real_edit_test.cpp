// The numeric entry field as the user types into it: the keys it turns into
// what the parser reads, limits on leaving, and a text that is no number,
// which beeps and keeps the focus, also under a German locale.
#include "editor_fixture.h"

#include <QLocale>
#include <QTimer>
#include <QVBoxLayout>

#include <clocale>
#include <string>

namespace vemra::test {
namespace {

class RealEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new TRealEdit(&window);
        next = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(next);
        QObject::connect(edit, &TRealEdit::exited, [this] { ++exits; });
        TRealEdit::setBeeper([this] { ++beeps; });
        window.show();
        window.activateWindow();
        QApplication::processEvents();
        edit->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override { TRealEdit::setBeeper(nullptr); }
    // Tab to the next field and let the focus settle.
    void tabAway()
    {
        pressKey(edit, Qt::Key_Tab);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    QWidget window;
    TRealEdit* edit = nullptr;
    QLineEdit* next = nullptr;
    int exits = 0;
    int beeps = 0;
};

TEST_F(RealEditTest, CommaAndSmallETypeAsPointAndExponent)
{
    edit->clear();
    typeKeys(edit, QStringLiteral("1,5e-3"));
    EXPECT_EQ(edit->text(), "1.5E-3");
    ASSERT_TRUE(edit->Validate());
    EXPECT_DOUBLE_EQ(static_cast<double>(edit->Value()), 0.0015);
    EXPECT_EQ(edit->text(), "1.5E-3") << "no limit applied, so the text stays as typed";
}

TEST_F(RealEditTest, LeavingWithAValueBeyondTheLimitShowsTheLimit)
{
    ASSERT_TRUE(edit->hasFocus()) << "the offscreen window must take the focus";
    edit->setValueMax(1);
    edit->setValueMin(0.0001L);
    edit->clear();
    typeKeys(edit, QStringLiteral("2"));
    tabAway();
    EXPECT_EQ(edit->text(), " 1.0");
    EXPECT_EQ(edit->Value(), 1);
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(next->hasFocus());
}

TEST_F(RealEditTest, TextThatIsNoNumberBeepsAndKeepsTheFocus)
{
    ASSERT_TRUE(edit->hasFocus());
    edit->setValue(0.5L);
    edit->clear();
    typeKeys(edit, QStringLiteral("abc"));
    tabAway();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(exits, 0) << "the owner hears nothing of a refused exit";
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->Value(), 0);
}

TEST_F(RealEditTest, AGermanLocaleStillReadsAPointAndStaysInPlace)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const QLocale qtBefore;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale on this machine";
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    edit->clear();
    typeKeys(edit, QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(static_cast<double>(edit->Value()), 2.5);
    edit->clear();
    typeKeys(edit, QStringLiteral("2,5"));
    EXPECT_DOUBLE_EQ(static_cast<double>(edit->Value()), 2.5) << "the German decimal key types a point";
    edit->setValue(0.25L);
    EXPECT_EQ(edit->text(), " .25");
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    QLocale::setDefault(qtBefore);
    std::setlocale(LC_NUMERIC, before.c_str());
}

} // namespace
} // namespace vemra::test
