#pragma once
// Handlers of the application core's own commands (2, 9, 104-108, 111, 112,
// 116, 117, 135, 157, 161, 178-182).
#include <string>

namespace qm {
class CommandTable;
struct Settings;
void registerAppCommands(CommandTable& t);
// Text of menu item 157: "Run %s" with the file name of "ExtProgram".
std::string extProgramMenuText(const Settings& s);
} // namespace qm
