// quillmar: the desktop workstation for solar radio drift scans.
#include "app/program_folder.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "gui/export_option_qt.h"
#include "gui/guarded_application.h"
#include "gui/screenshot.h"
#include "gui/single_instance.h"
#include "gui/wrk_win.h"

int main(int argc, char* argv[])
{
    qm::GuardedApplication app(argc, argv);
    // Numbers in files and reports are written and read the C way,
    // whatever the user's locale says.
    qm::useCNumericLocale();
    QApplication::setApplicationName("Quillmar");
    QStringList args = QApplication::arguments();
    args.removeFirst();
    if (qm::wantsScreenshot(args))
        return qm::runScreenshot(args);
    if (qm::wantsExport(args))
        return qm::runExport(args);

    // A second start only brings the running window forward.
    qm::SingleInstance instance;
    if (!instance.becomePrimary())
        return 0;

    qm::IniSettingsStore store(qm::IniSettingsStore::defaultPath());
    qm::WrkWin window(store, qm::programFolder());
    QObject::connect(&instance, &qm::SingleInstance::activationRequested, &window, &qm::WrkWin::activate);
    window.startUp(args);
    return QApplication::exec();
}
