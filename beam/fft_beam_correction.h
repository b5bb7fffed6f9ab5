#pragma once
// FFT beam correction (command 202): each polarisation channel of a scan,
// observed with the beam of a feed shifted from the focus, is given the
// focal beam instead. Below the cut-off frequency the channel's spectrum is
// multiplied by the focal beam's spectrum and divided by the shifted
// beam's; above it the channel keeps its own.
#include "beam/beam_config.h"
#include "beam/beam_model.h"
#include "beam/fft.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct ScanRecord;
class Workbench;

// The part [lo, hi) of every target that is corrected, symmetric about c.
struct CorrectionRange {
    int lo = 0, hi = 0, c = 0;
    int size() const { return hi - lo; }
};

// Scan width w != 0: w solar radii about the disk centre, else the shown
// part [viewBegin, viewEnd) about its largest |wrkI|; nullopt when the scan
// gives no usable range (step 0, values not finite, no worksheet).
std::optional<CorrectionRange> correctionRange(const ScanRecord& scan, float width, int viewBegin, int viewEnd);

// Smallest power of two above n - 1 (n >= 2).
std::size_t transformLength(int n);

// The beam a scan was observed with for a feed at (dfx, dfy): wavelength
// 300/frequency, its altitude (less the correction dh), its step as
// dx = step/q.
BeamModel scanBeam(const ScanRecord& scan, const BeamConfig& config, double dfx, double dfy, double dh = 0);

// A titled curve of the test option.
using CurveSink = std::function<void(const std::string& title, const std::vector<double>& values)>;

class FftBeamCorrector {
public:
    // Corrects v[0 .. n) in place. The focal beam is centred at M/2; the
    // shifted beam's axis goes there too: its middle point when
    // centreOnMiddle, else its maximum. Returns false (v untouched) when a
    // beam is empty or n < 2.
    bool correct(double* v, int n, const BeamModel& focal, const BeamModel& shifted, bool centreOnMiddle,
                 double noiseLevel, const CurveSink& test = {});
    // The same on float samples v[lo .. lo+n).
    bool correct(float* v, int lo, int n, const BeamModel& focal, const BeamModel& shifted, bool centreOnMiddle,
                 double noiseLevel, const CurveSink& test = {});
    std::size_t lastLength() const { return m_; }

private:
    std::vector<Complex> a_, b_; // reused for every channel
    std::size_t m_ = 0;
};

// Command 202 "FFT Beam convolution".
void runFftBeamCorrection(Workbench& wb);

} // namespace qm
