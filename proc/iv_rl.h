#pragma once
// I,V<=>R,L (command 122): converts both worksheets between (I, V) and
// (R, L), optionally bringing L to the scale of R first.
#include "app/scan_record.h"

namespace qm {

class Workbench;

// Transforms the worksheets of one scan and toggles its R,L flag. With
// equal scaling on a scan that holds R and L, the end levels are removed,
// 20 points at each end are zeroed and L is scaled by Kf = sum R / sum L
// before the sum and difference are taken without the factor 2. Returns
// Kf (1 when no scaling took place). A scan lacking a channel is left alone.
long double transformIvRl(ScanRecord& scan, bool equalScaling);

// The command: checks, the "Scaling" question, every target, the report
// "Normal koef(R-L)".
void runIvRlTransform(Workbench& wb);

} // namespace qm
