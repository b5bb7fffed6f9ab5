#pragma once
// "Cube Spline" (139): the user double-clicks knots on the plot, then fits a
// smoothing spline through them over the selected part of the one switched-on
// worksheet from the modeless dialog "Koeff of spline", which posts command
// 140 to preview, accept or cancel. While the knots are picked and until OK
// or Cancel every other command is refused.
#include <functional>

namespace qm {

class CommandTable;

inline constexpr int kSplineMinKnots = 2, kSplineMaxKnots = 21;
inline constexpr int kSplineMaxExponent = 14, kSplineDefaultExponent = 7;

enum class SplinePhase {
    Idle,       // no spline choice running
    Choosing,   // knots are being picked
    DialogOpen, // all knots picked, the dialog waits
    Accept,     // OK pressed: 140 fits and ends the choice
    Preview,    // Preview pressed: 140 fits, the dialog stays
    Cancel,     // Cancel pressed: 140 restores the worksheet and ends
};

enum class SplineButton { Ok, Cancel, Preview };

// What the "Koeff of spline" dialog shows and sets.
struct SplineDialogState {
    int k = kSplineDefaultExponent; // smoothing coefficient p = 2^k
    bool natural = false;           // "Normal boundary conditions"
    SplinePhase phase = SplinePhase::Idle;
    double p = 128;                 // p read by the last OK/Preview/Cancel
    std::function<void()> post;     // sends command 140 to the workbench

    double coefficient() const;     // 2^k
};

// k within 0 ... 14 (the dialog's scroll bar: line up +1, line down -1).
void setSplineExponent(SplineDialogState& s, int k);

// A dialog button. OK and Preview do nothing while knots are still being
// picked; otherwise the button takes p = 2^k, sets the phase and posts 140.
// Returns true when 140 was posted.
bool pressSplineButton(SplineDialogState& s, SplineButton b);

// Commands 139 (start the choice) and 140 (fit, preview, accept, cancel);
// the choice state lives with the handlers of this table.
void registerCubeSplineCommands(CommandTable& t);

} // namespace qm
