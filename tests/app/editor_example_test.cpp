// End to end through the editor: the bundled example "hubkurve.r4p" is built
// from nothing with the menu commands and the editor's controls alone,
// saved, compared record by record with the bundled file, and computed with
// the real synthesis module, which must give the bundled file's outcome.
#include "editor_fixture.h"

#include "computation_controller.h"

#include "commands/file_commands.h"
#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/system_clock.h"
#include "support/test_data.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace vemra::test {
namespace {

struct Interval {
    int order;
    const char* from;
    const char* to;
    const char* lower;
    const char* upper;
};

class EditorExampleTest : public EditorTest {
protected:
    // Fills the restriction the editor shows as an interval restriction.
    void fillInterval(const Interval& i)
    {
        dlg->RBRange->click();
        dlg->CBOrd->setCurrentIndex(i.order);
        enter(dlg->REdPhiMin, QString::fromLatin1(i.from));
        enter(dlg->REdPhiMax, QString::fromLatin1(i.to));
        enter(dlg->REdLower, QString::fromLatin1(i.lower));
        enter(dlg->REdUpper, QString::fromLatin1(i.upper));
    }

    // The nodes of a project in tree order, without the derived ones.
    static std::vector<TNLMember*> inputNodes(TreeItem* project)
    {
        std::vector<TNLMember*> nodes{project->Node()};
        for (int i = 0; i < project->ChildCount(); ++i) {
            TreeItem* child = project->Child(i);
            if (!child->NodeAs<TRXHeader>())
                continue;
            nodes.push_back(child->Node());
            for (int k = 0; k < child->ChildCount(); ++k)
                nodes.push_back(child->Child(k)->Node());
        }
        return nodes;
    }
};

TEST_F(EditorExampleTest, HubkurveBuiltInTheEditorIsTheBundledProject)
{
    window->MKProjekt->trigger();
    TreeItem* project = ws().tree.Selected();
    ASSERT_NE(project, nullptr);
    ASSERT_EQ(dlg->activePage(), EditorPage::ProjHeader);
    dlg->EdProjDescr->setText(QStringLiteral("Rast - Hub - Rast - Rückhub eines Stößels (Hub 50 mm)"));
    pressKey(dlg->EdProjDescr, Qt::Key_Return);

    window->MKHSHeader->trigger();
    TreeItem* first = ws().tree.Selected();
    ASSERT_NE(first, nullptr);
    select(first->Parent());
    ASSERT_EQ(dlg->activePage(), EditorPage::RXHeader);
    dlg->SEdHarm->setValue(14);

    select(first);
    const Interval intervals[] = {
        {0, "0", "60", "-0.05", "0.05"},
        {0, "150", "210", "49.95", "50.05"},
        {0, "300", "360", "-0.05", "0.05"},
        {1, "0", "360", "-90", "90"},
        {2, "0", "360", "-400", "400"},
    };
    for (const Interval& i : intervals) {
        if (&i != intervals)
            window->MKRestabs->trigger();
        ASSERT_EQ(dlg->activePage(), EditorPage::BG);
        fillInterval(i);
    }
    // The acceleration may be wished within +-60 and must stay within +-400.
    dlg->CBLowerVar->click();
    dlg->CBUpperVar->click();
    enter(dlg->REdLowerVar, QStringLiteral("-60"));
    enter(dlg->REdUpperVar, QStringLiteral("60"));
    EXPECT_TRUE(window->Calc->isEnabled());

    const std::string saved = tempFile("hubkurve.r4p");
    dialogs.chooseFileResult(saved);
    window->SaveAs->trigger();

    SilentDialogs silent;
    Workspace built(silent);
    Workspace bundled(silent);
    TreeItem* builtProject = readProjectFile(built, saved);
    TreeItem* bundledProject = readProjectFile(bundled, examplePath("hubkurve.r4p").string());
    ASSERT_NE(builtProject, nullptr);
    ASSERT_NE(bundledProject, nullptr);
    const auto a = inputNodes(builtProject);
    const auto b = inputNodes(bundledProject);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(builtProject->NodeAs<TProject>()->Description, bundledProject->NodeAs<TProject>()->Description);
    for (size_t n = 0; n < a.size(); ++n) {
        // Left out: what a computation stores (result flags, coefficient
        // counts) and the record numbers.
        const bool motion = dynamic_cast<TRXHeader*>(a[n]) != nullptr;
        const bool projectNode = n == 0;
        for (int i = 1; i <= 8; ++i) {
            if ((projectNode && i == 7) || (motion && (i == 7 || i == 8)))
                continue;
            EXPECT_EQ(a[n]->IntPar[i], b[n]->IntPar[i]) << "node " << n << " IntPar[" << i << "]";
        }
        for (int j = 1; j <= 12; ++j)
            EXPECT_EQ(a[n]->RealPar[j], b[n]->RealPar[j]) << "node " << n << " RealPar[" << j << "]";
    }

#ifdef VEMRA_MODULE
    // Computed with the real module: the same outcome as the bundled file.
    LocalModuleRunnerOptions options;
    options.modulePath = VEMRA_MODULE;
    LocalModuleRunner runner(options);
    FlockComputationLock lock(dir.path().toStdString());
    QtEventPump pump;
    SystemClock clock;
    ComputationServices services;
    services.localRunner = &runner;
    services.lock = &lock;
    services.eventPump = &pump;
    services.clock = &clock;
    ComputationController controller(*window, services);
    controller.computation().setWorkDir(dir.path().toStdString());
    window->setComputation(&controller);

    const ComputationResult fromEditor = controller.computation().RunComputation(project);
    TreeItem* example = OpenProjectCommand(ws(), examplePath("hubkurve.r4p").string());
    ASSERT_NE(example, nullptr);
    const auto* stored = example->Child(0)->NodeAs<TRXHeader>();
    std::vector<double> bundledCoefficients;
    for (int i = 0; i < stored->sSC.Count(); ++i)
        bundledCoefficients.push_back(stored->sSC[i]);
    const ComputationResult fromExample = controller.computation().RunComputation(example);
    window->setComputation(nullptr);

    ASSERT_EQ(fromEditor.outcome, ComputationResult::Outcome::Finished);
    EXPECT_EQ(fromEditor.resultCode, fromExample.resultCode);
    const auto* computed = project->Child(0)->NodeAs<TRXHeader>();
    const auto* recomputed = example->Child(0)->NodeAs<TRXHeader>();
    ASSERT_TRUE(computed->HasResult);
    ASSERT_EQ(computed->sSC.Count(), recomputed->sSC.Count());
    ASSERT_EQ(computed->sSC.Count(), static_cast<int32_t>(bundledCoefficients.size()));
    for (int i = 0; i < computed->sSC.Count(); ++i) {
        // The module is deterministic: the same input, the same motion.
        EXPECT_EQ(computed->sSC[i], recomputed->sSC[i]) << "coefficient " << i;
        // The bundled file was computed by an earlier revision of the
        // module, whose last digits differ.
        EXPECT_NEAR(computed->sSC[i], bundledCoefficients[static_cast<size_t>(i)], 1e-4) << "coefficient " << i;
    }
#endif
}

} // namespace
} // namespace vemra::test
