#pragma once
// The Transform menu: moving a scan, common length and step for the whole
// list, subtraction of one observation from others, the solar centre cut,
// and the minimum, mean or integral over a group.
#include <vector>

namespace qm {

class CommandTable;
struct ScanRecord;

// Move Scan, Equal Length, Equal Step, Scan sub scan, Center Sun,
// Group scan min, Group scan aver., Scans integration.
void registerTransformCommands(CommandTable& t);

// n points of x sampled linearly at t_j = first + j*delta; positions before
// the first point take x[0], past the last x[count-1].
void resampleLinear(const float* x, int count, double first, double delta, float* out, int n);

} // namespace qm
