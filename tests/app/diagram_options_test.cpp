// The diagram dialogs: the "Grafik" settings kept between runs, the DIN
// proportion of exported pictures, the defaults applied everywhere, and
// the options dialog's axis, quantity and data pages.
#include "diagram_app_fixture.h"

#include "diagram/diagram_settings.h"
#include "diagram/display_controls.h"

#include "platform/qt/canvas/emf_canvas.h"
#include "platform/qt/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace vemra::test {
namespace {

using DiagramOptionsTest = DiagramAppTest;
using HubDiagramOptionsTest = HubWindowTest;

TEST_F(DiagramOptionsTest, SettingsAreKeptBetweenRuns)
{
    DiagramDefaultSettings d;
    d.HLColor = 0x123456;
    d.Record.QStyle = 3;
    d.Record.SColor = 0x00AA00;
    d.Record.DomainColor = 0x0000CC;
    PictureExportOptions o;
    o.Din = true;
    o.Landscape = true;
    o.Width = 180;
    o.Height = 127;
    o.Resolution = 2;
    o.Font.Name = "DejaVu Serif";
    o.Font.Size = 12;
    o.Font.Style = FontSetting::Italic;
    defaults->setSettings(d);
    exportOptions->setOptions(o);
    destroyWindow(); // the dialogs write their values as they go
    {
        SettingsStore store;
        EXPECT_EQ(store.readBinary("Grafik", "DColor")->size(), 28);
        EXPECT_EQ(store.readBinary("Grafik", "ExFont")->size(), 272);
        EXPECT_EQ(store.readInteger("Grafik", "HLColor"), 0x123456);
        EXPECT_EQ(store.readBool("Grafik", "ExLS"), true);
    }
    diagramDefaults() = DisplayRecord();

    createWindow();
    TDlgDiagDefault againDefaults(ws());
    TDlgPictExOpt againExport;
    EXPECT_EQ(againDefaults.HLColor(), 0x123456);
    EXPECT_EQ(againDefaults.settings().Record, d.Record);
    EXPECT_EQ(diagramDefaults(), d.Record) << "new motions copy the stored defaults";
    EXPECT_EQ(againExport.options().Font, o.Font);
    EXPECT_EQ(againExport.options().Width, 180);
    EXPECT_EQ(againExport.options().Height, 127);
    EXPECT_EQ(againExport.options().Resolution, 2);
    EXPECT_TRUE(againExport.options().Din);
    EXPECT_TRUE(againExport.options().Landscape);
}

TEST_F(DiagramOptionsTest, DamagedSettingsKeepTheDefaults)
{
    {
        SettingsStore store;
        store.writeBinary("Grafik", "DColor", QByteArray(27, '\x11'));    // one byte short
        store.writeString("Grafik", "ExFont", "MS Sans Serif");            // text, not a block
        store.writeBinary("Grafik", "ExWidth", QByteArray("\x01\x02", 2)); // not a number
        store.writeInteger("Grafik", "ExHeight", 5000);
        store.writeInteger("Grafik", "ExRes", 7);
        store.flush();
    }
    TDlgDiagDefault d(ws());
    TDlgPictExOpt e;
    EXPECT_EQ(d.settings().Record, DisplayRecord());
    EXPECT_EQ(e.options().Font, FontSetting());
    EXPECT_EQ(e.options().Width, 100);
    EXPECT_EQ(e.options().Height, 200) << "brought into the dialog's range";
    EXPECT_EQ(e.options().Resolution, 0);
}

TEST_F(DiagramOptionsTest, MissingFontFallsBackToTheSansSerifFont)
{
    const QFont missing = pictureFont(FontSetting{});
    EXPECT_TRUE(QFontDatabase::hasFamily(missing.family())) << missing.family().toStdString();
    FontSetting serif;
    serif.Name = "DejaVu Serif";
    serif.Style = FontSetting::Bold;
    if (QFontDatabase::hasFamily("DejaVu Serif")) {
        EXPECT_EQ(pictureFont(serif).family(), "DejaVu Serif");
        EXPECT_TRUE(pictureFont(serif).bold());
    }
}

TEST_F(DiagramOptionsTest, DinProportionOfTheExportSize)
{
    TDlgPictExOpt& e = *exportOptions;
    EXPECT_FALSE(e.CBLandscape->isEnabled());
    e.SEdWidth->setValue(100);
    e.SEdHeight->setValue(150);
    e.CBDin->setChecked(true);
    EXPECT_TRUE(e.CBLandscape->isEnabled());
    EXPECT_EQ(e.SEdHeight->value(), 141);
    e.SEdWidth->setValue(150);
    EXPECT_EQ(e.SEdWidth->value(), 141);
    EXPECT_EQ(e.SEdHeight->value(), 200);
    e.CBLandscape->setChecked(true); // wider than high
    EXPECT_EQ(e.SEdHeight->value(), 100);
    e.SEdHeight->setValue(120);
    EXPECT_EQ(e.SEdWidth->value(), 170);
    e.CBDin->setChecked(false);
    e.SEdHeight->setValue(60);
    EXPECT_EQ(e.SEdWidth->value(), 170);
    EXPECT_EQ(e.CBRes->count(), 3);
    EXPECT_TRUE(e.CBRes->itemText(0).endsWith(" dpi (Bildschirm)"));
}

TEST_F(DiagramOptionsTest, DefaultsChangedEverywhere)
{
    TreeItem* project = openExample("greifer.r4p");
    TGrafik* w = openWindow(project);
    ASSERT_NE(w, nullptr);
    colorChooser() = [](Color, QWidget*) { return std::optional<Color>(0x0000AA); };
    defaults->Display->sColor->choose();
    EXPECT_EQ(diagramDefaults().SColor, 0x0000AA) << "new motions take it";
    EXPECT_NE(child<TRXHeader>(project)->NodeAs<TPaintObj>()->SColor, 0x0000AA) << "old ones keep theirs";
    defaults->BtEverywhere->click();
    ws().tree.ForEach([](TreeItem* item) {
        if (const auto* m = item->NodeAs<TPaintObj>()) {
            EXPECT_EQ(m->SColor, 0x0000AA);
        }
    });
    // The window shows the new colour: the drive torque curve of motion 1
    // is drawn in it.
    EXPECT_TRUE(hasPixel(w->Bitmap, qRgb(0xAA, 0, 0)));
}

TEST_F(HubDiagramOptionsTest, AxisEntriesAreCheckedAsTheyAreLeft)
{
    TDlgDiagOpt& o = *options;
    ASSERT_EQ(o.window(), w);
    QStringList entries;
    for (int i = 0; i < o.CBAxis->count(); ++i)
        entries << o.CBAxis->itemText(i);
    EXPECT_EQ(entries, (QStringList{"x-Achse", "Weg", "Geschwindigkeit", "Beschleunigung"}));

    const auto type = [](QLineEdit* field, const QString& text) {
        field->setText(text);
        field->setModified(true);
    };
    o.CBAutoRange->setChecked(false);
    EXPECT_TRUE(o.EdMin->isEnabled());
    EXPECT_FALSE(o.CBZero->isEnabled());
    type(o.EdMin, "-10");
    o.EdMinExit();
    EXPECT_EQ(o.EdMin->text(), "0") << "no negative angles";
    type(o.EdMax, "400");
    o.EdMaxExit();
    EXPECT_EQ(o.EdMax->text(), "360");
    type(o.EdMin, "90");
    o.EdMinExit();
    for (const TDiagram& d : w->Page.Diagrams)
        EXPECT_EQ(d.XAxis.RawMin, 90);
    EXPECT_EQ(w->Page.Diagrams[0].XAxis.Min, 90) << "redrawn";

    o.CBAxis->setCurrentIndex(2); // "Geschwindigkeit"
    EXPECT_TRUE(o.CBZero->isEnabled());
    o.CBAutoRange->setChecked(false);
    type(o.EdMin, "-10");
    o.EdMinExit();
    EXPECT_EQ(w->Page.Diagrams[1].YAxis.RawMin, -10);
    type(o.EdMax, "-20");
    o.EdMaxExit();
    EXPECT_NE(w->Page.Diagrams[1].YAxis.RawMax, -20) << "max must lie above min";
    o.CBGrid->setChecked(true);
    for (const TDiagram& d : w->Page.Diagrams) {
        EXPECT_TRUE(d.YAxis.Grid) << "the grid goes with all value axes";
        EXPECT_FALSE(d.XAxis.Grid);
    }
}

TEST_F(HubDiagramOptionsTest, QuantitiesMoveUpIntoSlots)
{
    TDlgDiagOpt& o = *options;
    w->Page.Diagrams[0].YAxis.EndsMode = 0;
    o.CB0->setChecked(false);
    EXPECT_EQ(w->Page.DiagramCount, 2);
    EXPECT_EQ(w->Page.Diagrams[0].Order, 1);
    EXPECT_EQ(w->Page.Diagrams[0].YAxis.EndsMode, 0) << "slot 1 keeps its axis";
    EXPECT_EQ(o.CBAxis->count(), 3);

    o.CB2->setChecked(false);
    EXPECT_FALSE(o.CB1->isEnabled()) << "only one left";
    o.CB3->setChecked(true);
    EXPECT_TRUE(o.CB1->isEnabled());
    EXPECT_TRUE(o.CB3->isEnabled());
}

TEST_F(DiagramOptionsTest, DataTreeShowsAndTogglesTheMotions)
{
    TreeItem* project = openExample("greifer.r4p");
    TGrafik* w = openWindow(child<TRXHeader>(project));
    ASSERT_NE(w, nullptr);
    TDlgDiagOpt& o = *options;
    o.show();
    ASSERT_EQ(o.TVGrafs->topLevelItemCount(), 1);
    QTreeWidgetItem* projectNode = o.TVGrafs->topLevelItem(0);
    ASSERT_EQ(projectNode->childCount(), 3);
    EXPECT_TRUE(projectNode->child(0)->data(0, Qt::UserRole + 1).toBool());
    EXPECT_FALSE(projectNode->child(1)->data(0, Qt::UserRole + 1).toBool());

    EXPECT_FALSE(o.Display->sColor->isEnabled()) << "no motion chosen yet";
    // A click on the image of motion 2 adds it to the window (and selects
    // it).
    QTreeWidgetItem* second = projectNode->child(1);
    const QRect r = o.TVGrafs->visualItemRect(second);
    const QPoint image(r.left() + 11, r.center().y()); // the middle of a 16-pixel image
    QMouseEvent press(QEvent::MouseButtonPress, image, o.TVGrafs->viewport()->mapToGlobal(image), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(o.TVGrafs->viewport(), &press);
    EXPECT_EQ(w->Page.Items.size(), 2u);
    EXPECT_TRUE(second->data(0, Qt::UserRole + 1).toBool());
    o.toggleMembership(second);
    EXPECT_EQ(w->Page.Items.size(), 1u);

    // The selected motion's display is edited.
    EXPECT_EQ(o.TVGrafs->currentItem(), second);
    EXPECT_TRUE(o.Display->sColor->isEnabled());
    colorChooser() = [](Color, QWidget*) { return std::optional<Color>(0x00BB00); };
    o.Display->qColor->choose();
    EXPECT_EQ(child<TRXHeader>(project, 1)->NodeAs<TPaintObj>()->QColor, 0x00BB00);
    o.Display->sLine->setCurrentIndex(1);
    EXPECT_EQ(child<TRXHeader>(project, 1)->NodeAs<TPaintObj>()->SStyle, 1);
}

TEST_F(DiagramOptionsTest, RestrictionsAreAlwaysShownForMotionsWithoutResult)
{
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    TGrafik* w = openWindow(motion);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(options->CBShowRestrict->isChecked());
    EXPECT_FALSE(options->CBShowRestrict->isEnabled());
    EXPECT_TRUE(w->Page.ShowRestrictions);

    TGrafik* computed = openWindow(child<TRXHeader>(openExample("hubkurve.r4p")));
    ASSERT_NE(computed, nullptr);
    EXPECT_TRUE(options->CBShowRestrict->isEnabled());
    options->CBShowRestrict->setChecked(false);
    EXPECT_FALSE(computed->Page.ShowRestrictions);
}

} // namespace
} // namespace vemra::test
