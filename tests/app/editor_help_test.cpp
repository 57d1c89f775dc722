// Fields that explain themselves: every control of every editor page says
// in its tooltip what it holds, the texts follow the restriction shown, and
// the fields without a caption of their own have one that greys out with
// them.
#include "editor_fixture.h"

#include "commands/tree_commands.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>

namespace vemra::test {
namespace {

using EditorHelpTest = EditorTest;

// The controls on the page shown that the user can see and work with, and
// have no tooltip.
std::string unexplained(TDlgRestr* dlg)
{
    std::string missing;
    QWidget* page = dlg->Pages->currentWidget();
    for (QWidget* w : page->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w)
            || qobject_cast<QComboBox*>(w) || (qobject_cast<QAbstractItemView*>(w) && !qobject_cast<QHeaderView*>(w))
            || (qobject_cast<QLineEdit*>(w) && !qobject_cast<QAbstractSpinBox*>(w->parentWidget())
                && !qobject_cast<QComboBox*>(w->parentWidget()));
        if (control && w->isVisibleTo(page) && w->toolTip().isEmpty())
            missing += (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName().toStdString()) + " ";
    }
    return missing;
}

TEST_F(EditorHelpTest, EveryControlOfEveryPageHasATooltip)
{
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    auto* m = motion->NodeAs<TRXHeader>();
    // A result, so that the coefficient grid and its selectors show.
    m->sSC.ReSize(6);
    m->qSC.ReSize(6);
    m->HasResult = m->ResultValid = true;
    m->ResultHarm = 2;
    TreeItem* bounds = newRestriction(motion);
    select(motion);
    TreeItem* spectrum = NewSpectrumRestrictionCommand(ws());

    struct Case {
        const char* name;
        TreeItem* item;
        EditorPage page;
    };
    for (const Case& c : {Case{"project", project, EditorPage::ProjHeader}, Case{"motion", motion, EditorPage::RXHeader},
                          Case{"bounds", bounds, EditorPage::BG}, Case{"spectrum", spectrum, EditorPage::Harm}}) {
        SCOPED_TRACE(c.name);
        show(c.item);
        ASSERT_EQ(dlg->activePage(), c.page);
        EXPECT_EQ(unexplained(dlg), "");
    }
}

TEST_F(EditorHelpTest, TextsAndCaptionsFollowTheRestriction)
{
    TreeItem* r = newRestriction(newMotion(newProject()));
    show(r);
    // An acceleration bound over a range, the lower one variable.
    dlg->CBOrd->setCurrentIndex(2);
    dlg->RBRange->click();
    dlg->CBLower->setChecked(true);
    dlg->CBLowerVar->setChecked(true);
    ASSERT_EQ(restr()->Kind(), 12);

    EXPECT_EQ(dlg->GBBounds->title(), "Schranken für s″ in Längeneinheit/rad²");
    const QString lower = dlg->REdLower->toolTip();
    EXPECT_TRUE(lower.contains("Beschleunigung s″ = d²s/dφ² in Längeneinheit/rad²")) << lower.toStdString();
    EXPECT_TRUE(lower.contains("Bogenmaß")) << lower.toStdString();
    EXPECT_TRUE(dlg->REdPhiMax->toolTip().startsWith("Obere Bereichsgrenze φ_o in Grad"));
    EXPECT_TRUE(dlg->REdShift1->toolTip().contains("φ_u"));

    // Captions under the fields: the minimum and maximum requirements, the
    // point's one angle; a caption greys out with its field.
    const auto captionUnder = [this](QWidget* field) {
        for (QLabel* l : dlg->BG->findChildren<QLabel*>())
            if (l->isVisibleTo(dlg->BG) && l->geometry().top() >= field->geometry().bottom()
                && std::abs(l->geometry().center().x() - field->geometry().center().x()) < field->width() / 2
                && l->parentWidget() == field->parentWidget() && l->geometry().top() - field->geometry().bottom() < 30)
                return l;
        return static_cast<QLabel*>(nullptr);
    };
    dlg->resize(700, 700);
    dlg->show();
    QApplication::processEvents();
    struct Expect {
        QWidget* field;
        const char* caption;
    };
    for (const Expect& e : {Expect{dlg->REdLower, "Minimalforderung"}, Expect{dlg->REdLowerVar, "Maximalforderung"},
                            Expect{dlg->REdUpper, "Minimalforderung"}, Expect{dlg->REdUpperVar, "Maximalforderung"},
                            Expect{dlg->REdPhiMin, "Minimalforderung"}, Expect{dlg->REdPhiMinVar, "Maximalforderung"},
                            Expect{dlg->REdPhiMax, "Minimalforderung"}, Expect{dlg->REdPhiMaxVar, "Maximalforderung"}}) {
        SCOPED_TRACE(e.field->objectName().toStdString());
        QLabel* caption = captionUnder(e.field);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), e.caption);
        EXPECT_EQ(caption->isEnabled(), e.field->isEnabled());
    }
    EXPECT_TRUE(dlg->REdLowerVar->isEnabled());
    EXPECT_FALSE(dlg->REdUpperVar->isEnabled());

    // A point on the velocity: the one angle is just the angle.
    dlg->CBOrd->setCurrentIndex(1);
    dlg->RBPoint->click();
    ASSERT_EQ(restr()->Kind(), 1);
    EXPECT_EQ(captionUnder(dlg->REdPhiMax)->text(), "Winkel φ");
    EXPECT_EQ(dlg->REdPhiMax->toolTip(), "Antriebswinkel φ in Grad, bei dem die Forderung gilt.");
    EXPECT_TRUE(dlg->REdUpper->toolTip().contains("Längeneinheit/rad."));
    EXPECT_EQ(dlg->GBBounds->title(), "Schranken für s′ in Längeneinheit/rad");
}

} // namespace
} // namespace vemra::test
