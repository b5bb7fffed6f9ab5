#pragma once
// Registration of the analysis commands in the command table.
namespace qm {
class CommandTable;
// Sigma, Full Flux, Gauss Param, Auto move L R, Correlation, Sun Template.
void registerAnalysisCommands(CommandTable& t);
} // namespace qm
