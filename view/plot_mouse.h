#pragma once
// Mouse on the plot: the left-click readout, the choice of a cell in the
// array view, the right-drag zoom, the right-click pop-up and the left
// double click. Positions are pixels of the plot surface, converted with
// the geometry of the last paint; the GUI only forwards the events and
// draws what this tells it to.
#include "view/canvas.h"

#include <optional>
#include <string>

namespace qm {

class Workbench;

// Status-bar readout of a left click at (x, y).
std::string plotReadout(const Workbench& wb, int x, int y);

class PlotMouse {
public:
    // Left button: in the array view the cell under the cursor becomes the
    // active scan; then the readout goes to the status bar.
    void leftDown(Workbench& wb, int x, int y);
    // Right button: the start of a drag or of a click.
    void rightDown(Workbench& wb, int x, int y);
    // Any move ends a pending click; with the right button held it drags
    // and shows "Delta X=..." in the status bar.
    void move(Workbench& wb, int x, int y, bool rightHeld);
    // Right button released: true after a click, when the GUI opens the
    // plot's pop-up menu; after a drag of at least 10 pixels a new shown
    // range is set and the plot redrawn.
    bool rightUp(Workbench& wb, int x, int y);
    // Mouse wheel: `steps` notches (positive zooms in) about the point
    // under pixel column x, by whole points, never past the ends of the
    // scan and never narrower than kMinWheelSpan points.
    void wheel(Workbench& wb, int x, int steps);
    static constexpr int kMinWheelSpan = 4;
    // Left double click: handed to the interaction mode that is on.
    void leftDoubleClick(Workbench& wb, int x, int y);

    // The focus rectangle of the drag in progress (the GUI draws it).
    std::optional<Rect> dragRect() const;

private:
    bool selectCell(Workbench& wb, int x, int y);
    bool rightDown_ = false, dragged_ = false, clickPending_ = false;
    int startX_ = 0, currentX_ = 0, top_ = 0, bottom_ = 0;
};

} // namespace qm
