#pragma once
// The table of per-scan values the local graph window plots: one row of
// (X, I, V) per scan, X being the frequency or the observation time.
#include "app/local_graph_rows.h"

namespace qm {

class Workbench;
struct ScanRecord;

// Observation time as days since 1980 from a date "y/m/d" (or "d/m/y" when
// the third number exceeds 31) and a time "h:m:s"; negative results and
// unreadable dates give 0.
double dayNumber1980(const char* dateObs, const char* timeObs);

// X of a scan's row: its frequency when the "Freq" title part is on,
// otherwise its observation time as a day number.
double localGraphX(const Workbench& wb, const ScanRecord& scan);

// Hands the table to the local graph window when it is switched on and a
// window takes tables; otherwise the table is dropped.
void offerLocalGraph(Workbench& wb, LocalGraphTable table);

} // namespace qm
