#pragma once
// Scan > Correction: changes of amplification, cross-talk, channel moves,
// the solar centre, non-linear registration, equal R/L scale, ephemerides
// and header values from a correction data file.
#include <vector>

namespace qm {

class CommandTable;

// Change of amplif, RL Cross-Talk, Move L from R, Center Vscan,
// Non-linear reg., Equal scale RL, Ephemeride, FITS Param.
void registerCorrectionCommands(CommandTable& t);

// The c > 0 with (exp(v/c) - 1)*c = k*v by stepping then bisection; 0 when
// v = 0, k < 1.01 or no such c is found.
double solveLogScale(double v, double k);

// Change of amplification of x (n points) at the switching point p; false,
// leaving x alone, unless 2 <= p <= n - 4 and the step gives a factor.
bool correctAmplification(std::vector<float>& x, int p);

} // namespace qm
