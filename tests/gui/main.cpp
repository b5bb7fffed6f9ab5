// Runs every registered GUI test class on the offscreen platform.
#include "tests/gui/gui_test_registry.h"

#include "app/text_format.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <memory>

namespace qm::test {
bool& commaLocaleActive()
{
    static bool active = false;
    return active;
}

std::vector<GuiTestFactory>& guiTests()
{
    static std::vector<GuiTestFactory> tests;
    return tests;
}
} // namespace qm::test

namespace {

// Builds a German (decimal comma) locale into a private folder and makes it
// the environment's locale, so the whole suite runs the way a user with such
// a locale runs the program. False when the system cannot build it.
bool useCommaLocaleEnvironment()
{
    if (std::system("command -v localedef >/dev/null 2>&1") != 0)
        return false;
    const QString folder = QDir::temp().filePath(QString("quillmar-gui-locales-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(folder);
    const std::string cmd =
        "localedef -i de_DE -f UTF-8 '" + (folder + "/de_DE.UTF-8").toStdString() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return false;
    qputenv("LOCPATH", folder.toLocal8Bit());
    qputenv("LC_ALL", "de_DE.UTF-8");
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qm::test::commaLocaleActive() = useCommaLocaleEnvironment();
    QApplication app(argc, argv); // sets the process locale from the environment
    qm::useCNumericLocale();      // exactly as the program does next
    int failures = 0;
    for (const auto& make : qm::test::guiTests()) {
        std::unique_ptr<QObject> t(make());
        failures += QTest::qExec(t.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
