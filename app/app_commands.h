#pragma once
// Handlers of the application core's own commands (2, 9, 104-108, 111, 112,
// 116, 117, 135, 157, 161, 178-182).
namespace qm {
class CommandTable;
void registerAppCommands(CommandTable& t);
} // namespace qm
