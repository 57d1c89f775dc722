#include "app_session.h"

#include "about_box.h"
#include "computation_controller.h"
#include "dlg_main.h"
#include "live_loop.h"
#include "undo_menu.h"
#include "editor/dlg_restr.h"
#include "editor/dlg_sel_opt.h"
#include "import/dlg_import.h"
#include "remote/dlg_rconfig.h"
#include "remote/dlg_rprogress.h"
#include "report/dlg_tab.h"
#include "report/rtf_report_window.h"
#include "result/result_view.h"

#include "diagram/diagram_windows.h"
#include "diagram/dlg_diag_default.h"
#include "diagram/dlg_diag_opt.h"
#include "diagram/dlg_pict_ex_opt.h"

#include "model/numeric.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

// The icon is compiled into the library; a static library's resources must
// be registered by name.
static void registerResources()
{
    Q_INIT_RESOURCE(vemra);
}

namespace vemra {

AppSession::AppSession(UserDialogs& dialogs)
{
    main_ = std::make_unique<TDlgMain>(dialogs);
    TDlgMain* m = main_.get();

    // The windows below live as children of the main window, so they stay
    // with it on screen and go with it.
    AppWindows w;
    auto* editor = new TDlgRestr(*m);
    w.editor = editor;
    auto* diagramDefaults = new TDlgDiagDefault(m->workspace(), m);
    w.diagramDefaults = diagramDefaults;
    editor->setOptimisationObjectChooser(new TDlgSelOpt(m->workspace().tree, m));
    auto* pictureExportOptions = new TDlgPictExOpt(m);
    w.pictureExportOptions = pictureExportOptions;
    w.about = new TAboutBox(m);
    auto* diagramOptions = new TDlgDiagOpt(m->workspace(), m);
    w.diagramOptions = diagramOptions;
    reports_ = std::make_unique<ReportWindowSet>(
        ReportWindowContext{m, &dialogs, [m]() -> QPrinter& { return m->printer(); }, &calendar_}); // TRTFReport
    w.reports = reports_.get();
    w.valueTable = new TDlgTab(dialogs, m);                                   // TDlgTab
    auto* remoteConfig = new TDlgRConfig(dialogs, m);
    w.remoteSettings = remoteConfig;
    auto* remoteProgress = new TDlgRProgress(*remoteConfig, dialogs, m);
    diagrams_ = std::make_unique<DiagramWindowList>(DiagramContext{m, diagramOptions, diagramDefaults, pictureExportOptions});
    w.diagrams = diagrams_.get();
    diagramDefaults->redrawAll = [this, diagramOptions] {
        diagrams_->redrawAll();
        diagramOptions->refreshList();
    };
    diagramOptions->motionRestyled = [this](const TPaintObj* motion) {
        diagrams_->markDirty({motion});
        diagrams_->redrawDirty();
    };
    importer_ = std::make_unique<ImportController>(*m);                        // DlgImport
    w.importer = importer_.get();
    m->setWindows(w);

    results_ = std::make_unique<ResultView>(*m); // the "Ergebnis" panel
    computation_ = std::make_unique<ComputationController>(*m);
    m->setComputation(computation_.get());
    computation_->computation().setRemoteRunner(&remoteProgress->runner());

    live_ = std::make_unique<LiveLoop>(*m);
    computation_->moduleStarting = [this](TreeItem* project) { live_->cancel(project); };
    undo_ = std::make_unique<UndoMenu>(*m, live_.get());
}

AppSession::~AppSession()
{
    undo_.reset();
    live_.reset();
    main_->setComputation(nullptr);
    computation_.reset();
    results_.reset();
    main_->setWindows(AppWindows{});
    importer_.reset();
    diagrams_.reset();
    reports_.reset();
    main_.reset();
}

VemraApplication::VemraApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VemraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox::critical(activeWindow(), QStringLiteral("Fehler"), QString::fromUtf8(e.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), QStringLiteral("Fehler"), QStringLiteral("Unbekannter Fehler."));
    }
    return false;
}

void initialiseApplication(QApplication& app)
{
    registerResources();
    QApplication::setOrganizationName(QStringLiteral("Norwald"));
    QApplication::setApplicationName(QStringLiteral("Vemra"));
#ifdef VEMRA_VERSION
    QApplication::setApplicationVersion(QStringLiteral(VEMRA_VERSION));
#endif
    QApplication::setDesktopFileName(QStringLiteral("vemra"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vemra/vemra.svg")));

    installGermanQtTranslations(app);

    const QString point = QLocale().decimalPoint();
    setLocaleDecimalSeparator(point.size() == 1 && point.at(0).unicode() < 128 ? point.at(0).toLatin1() : '.');
}

bool installGermanQtTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace vemra
