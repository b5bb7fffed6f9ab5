#pragma once
// The logic of the modeless "Scale & Position" dialog: the beginning and
// width of the shown range in a chosen reference (scan begin, solar centre,
// scan end) and unit (points, arc seconds, solar radii), the conversions
// between them, and setting the shown range from them.
#include <utility>

namespace qm {

class Workbench;
class CommandTable;
struct ScanRecord;

enum class ScaleReference { Begin, Center, End };        // "Begin", "Center", "END"
enum class ScaleUnit { Points, ArcSeconds, SolarRadius }; // "Points", "Arc. sec.", "Radius of Sun"

struct ScalePosition {
    ScaleReference reference = ScaleReference::Begin;
    ScaleUnit unit = ScaleUnit::Points;
    double begin = 0; // "Begin point:" in the reference and unit
    double width = 0; // "Width window:" in the unit
    // The scan the numbers refer to.
    int nPoints = 0;
    double centerPoint = 0, step = 0, radius = 0;

    // The dialog as it opens: the shown range of the workbench in points
    // from the scan begin, for the active scan (all zero without one).
    static ScalePosition open(const Workbench& wb);

    // Size of one unit in points' terms: 1, step, or step/radius; 0 when
    // the scan gives that unit no size (zero step or radius).
    double unitFactor(ScaleUnit u) const;
    double unitFactor() const { return unitFactor(unit); }
    // Amount one scroll arrow adds or subtracts: 1, step or 0.01.
    double increment() const;
    // Converts begin and width into another unit. A unit without a size
    // for this scan is refused (false) and nothing changes.
    bool setUnit(ScaleUnit u);
    // Converts begin into another reference.
    void setReference(ScaleReference r);
    // "Begin set" and "End set": the whole scan in the current reference
    // and unit.
    std::pair<double, double> wholeScan() const;
    // The shown range "Setting" makes, with its limits applied.
    std::pair<int, int> shownRange() const;
};

// "Setting": sets the shown range from the dialog's numbers and dispatches
// the redraw command 5555. Does nothing while no set is loaded.
void applyScalePosition(Workbench& wb, const ScalePosition& sp);

// Stores a new shown range, kept inside the active scan: 0 <= begin <= end
// <= nPoints - 1, whatever the rules that produced it did to tiny scans.
void setShownRange(Workbench& wb, int begin, int end);

// "Close": the dialog goes, the check mark of 147 with it, and the plot is
// redrawn. The dialog calls it directly, so an interaction mode that blocks
// commands cannot keep the dialog on the screen.
void closeScalePosition(Workbench& wb);

// Command 147: opens or closes the dialog and keeps its check mark.
void registerScalePositionCommands(CommandTable& t);

} // namespace qm
