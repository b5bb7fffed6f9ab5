#pragma once
// Registration of the Scan > Smooth commands: Median (109), Gauss (110),
// Cube Spline (139) and the spline dialog's command 140.
namespace qm {
class CommandTable;
void registerSmoothingCommands(CommandTable& t);
} // namespace qm
