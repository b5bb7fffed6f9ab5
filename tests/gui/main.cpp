// Runs every registered GUI test class on the offscreen platform.
#include "tests/gui/gui_test_registry.h"

#include <QApplication>
#include <QTest>

#include <clocale>
#include <memory>

namespace qm::test {
std::vector<GuiTestFactory>& guiTests()
{
    static std::vector<GuiTestFactory> tests;
    return tests;
}
} // namespace qm::test

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    int failures = 0;
    for (const auto& make : qm::test::guiTests()) {
        std::unique_ptr<QObject> t(make());
        failures += QTest::qExec(t.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
