#pragma once
// Registration of the analysis commands in the command table.
namespace qm {
class CommandTable;
class Workbench;
// Sigma, Full Flux, Gauss Param, Auto move L R, Correlation, Sun Template,
// the Gaussian analysis, local spectrum, spectral line and magnetic field.
void registerAnalysisCommands(CommandTable& t);
// The plot's click spectrum for the local graph.
void installAnalysisHooks(Workbench& wb);
} // namespace qm
