#pragma once
// Horizontal beam of the reflector antenna for a feed at or near the focus
// of its working sector, in double precision (model in beam_model.cpp).
#include <vector>

namespace qm {

inline constexpr double kArcSecondsPerRadian = 206264.806;
inline constexpr int kMaxBeamPoints = 501;

struct BeamInputs {
    double phi0 = 45;    // angular working aperture of the sector, degrees
    double valh = 0;     // hour variation of right ascension, time s per hour
    double wl = 30;      // wavelength, mm
    double dfx = 0;      // feed shift along X (+ to East), mm
    double dfy = 0;      // feed shift along Y (+ towards the circle's centre), mm
    double h = 50;       // elevation of the antenna, degrees
    double dh = 0;       // correction of elevation h - h(source), degrees
    double dx = 1;       // step of the beam along X, time seconds
    int nh = 41;         // integration points along the vertical of an element
    double vSize = 5500; // vertical size of an element, mm
};

struct HalfPowerEdges {
    double left = 0, right = 0; // fractional point indices
};

class BeamModel {
public:
    BeamInputs in;

    // Arc seconds of sky per time second at the source's declination.
    double q() const;
    // Fills the beam; n() is 0 when the inputs allow none.
    void compute();

    int n() const { return static_cast<int>(b_.size()); }
    const std::vector<double>& values() const { return b_; }
    // First index of the largest value; -1 without a beam.
    int maxIndex() const;
    HalfPowerEdges halfPowerEdges() const;
    // Half-power width in time seconds (times q() for arc seconds).
    double halfPowerWidth() const;

private:
    std::vector<double> b_;
};

} // namespace qm
