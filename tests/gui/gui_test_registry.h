#pragma once
// The GUI test classes register themselves here; main runs each in turn.
#include <QObject>

#include <functional>
#include <vector>

namespace qm::test {

// True when the suite runs under a decimal-comma locale (see main.cpp).
bool& commaLocaleActive();

using GuiTestFactory = std::function<QObject*()>;
std::vector<GuiTestFactory>& guiTests();

struct RegisterGuiTest {
    explicit RegisterGuiTest(GuiTestFactory f) { guiTests().push_back(std::move(f)); }
};

} // namespace qm::test
