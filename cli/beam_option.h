#pragma once
// quillmar-batch --beam: prints the beam command 202 computes for a scan of
// the given frequency, altitude and step.

namespace qm {

// args: FREQ ALT STEP [--dfx MM] [--dfy MM] [--dh DEG] [--aperture DEG]
// [--hour S] [--points N] [--vsize MM]. Exit status 0, 1 when there is no
// beam, 2 for a bad command line.
int runBeamOption(int argc, char** argv);

} // namespace qm
