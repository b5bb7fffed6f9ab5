#pragma once
// The table the local graph window plots: one row of (X, I, V) per scan,
// X being the frequency or the observation time. Made by the analyses,
// drawn by view/local_graph.
#include <string>
#include <vector>

namespace qm {

struct LocalGraphRow {
    double x = 0; // frequency in GHz, or days since 1980 (observation time)
    double i = 0; // value of channel 1, 0 when not measured
    double v = 0; // value of channel 2, 0 when not measured
};

struct LocalGraphTable {
    std::vector<LocalGraphRow> rows;
    bool showI = false, showV = false; // the Worksheet switches when the table was made
    std::string title;                 // caption of the window
};

} // namespace qm
