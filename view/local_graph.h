#pragma once
// The core of the local graph window: a table of (X, I, V) rows, its
// visible range and scale, the picture (frame, ticks, V in blue, I in green
// with its least-squares line), the readout of a click, the right-drag zoom
// and the "Full", unit and "Hide" buttons. The GUI adds the window and its
// top strip and forwards mouse and buttons.
#include "app/local_graph_rows.h"
#include "view/canvas.h"

#include <optional>
#include <string>

namespace qm {

// "%.3f%+.3f*X" of the least-squares line a + b*X.
std::string fittedLineText(double a, double b);

// Round step of a range: 0.05*(max - min) raised to 2, 5 or 10 times a
// power of ten; 1 when there is no finite spread.
double roundStep(double lo, double hi);

class LocalGraph {
public:
    // No table, caption "Local spectrum".
    void reset();
    // A new table: all rows visible, readout cleared, caption its title,
    // frequency mode with the unit switch "GHz" (enabled only when X is a
    // frequency). A table whose first and last X agree is dropped.
    void setTable(LocalGraphTable table, bool xIsFrequency, bool dateLabels);
    bool hasTable() const { return !table_.rows.empty(); }
    const LocalGraphTable& table() const { return table_; }
    const std::string& caption() const { return caption_; }
    const std::string& readout() const { return readout_; }
    const std::string& unitCaption() const { return unitCaption_; }
    bool unitEnabled() const { return hasTable() && xIsFrequency_; }
    int first() const { return first_; }
    int last() const { return last_; }
    // Axis limits after the last scale.
    double xMin() const { return xMin_; }
    double xMax() const { return xMax_; }
    double iMin() const { return iMin_; }
    double iMax() const { return iMax_; }
    double vMin() const { return vMin_; }
    double vMax() const { return vMax_; }

    // The picture in `area` (the window below its strip).
    void paint(Canvas& c, const Rect& area);
    // The picture as a Windows metafile of width x height pixels ("Save").
    std::string metafile(int width, int height);

    // Mouse in the picture.
    void leftPress(int x, int y);
    void rightPress(int x);
    void move(int x, bool rightHeld);
    void rightRelease(int x);
    std::optional<Rect> dragRect() const;

    // Buttons: "Full" (13) and the unit switch (12).
    void full();
    void switchUnit();

private:
    void scale();
    double toX(int px) const;
    double toValue(int py, double lo, double hi) const;
    int px(double x) const;
    int py(double v, double lo, double hi) const;
    std::string xText(double x) const;

    LocalGraphTable table_;
    std::string caption_ = "Local spectrum", readout_, unitCaption_ = "GHz";
    bool xIsFrequency_ = true, dateLabels_ = false;
    int first_ = 0, last_ = -1;
    double xMin_ = 0, xMax_ = 1, iMin_ = 0, iMax_ = 1, vMin_ = 0, vMax_ = 1;
    Rect plot_;
    bool dragging_ = false, moved_ = false;
    int dragStart_ = 0, dragNow_ = 0;
};

} // namespace qm
