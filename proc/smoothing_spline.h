#pragma once
// Cubic smoothing spline: the curve g minimising
//     sum_i (y_i - g(x_i))^2 + p * integral g''(t)^2 dt
// over knots (x_i, y_i). A small p interpolates the knots, a large p tends to
// the least-squares straight line. The Cube Spline command fits it through
// picked points and the flux calibration through a flux spectrum.
#include <vector>

namespace qm {

class SmoothingSpline {
public:
    // Fits `count` knots given in any order (they are sorted by x, keeping
    // the order of equal abscissae; knots sharing an abscissa are merged into
    // one at their mean value, and non-finite knots are dropped).
    // natural: zero second derivative at both ends ("Normal boundary
    // conditions"); otherwise the end slopes are held to the slopes of the
    // first and last knot intervals. Returns false, leaving no spline, when
    // fewer than two distinct abscissae remain or p is not finite.
    bool fit(int count, double p, const float* xs, const float* ys, bool natural);

    // Value at t: the cubic of the first interval for t at or left of the
    // first knot, of the last one at or right of the last knot. 0 without a
    // fitted spline.
    double evaluate(double t) const;

    bool valid() const { return !pieces_.empty(); }
    int knotCount() const { return static_cast<int>(x_.size()); }

private:
    // A + B*u + C*u^2 + D*u^3 with u = t - x_[i], on [x_[i], x_[i+1]].
    struct Piece {
        double a, b, c, d;
    };
    std::vector<double> x_;
    std::vector<Piece> pieces_;
};

} // namespace qm
