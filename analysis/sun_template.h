#pragma once
// "Sun Template": Worksheet I(R) becomes the scan of a uniform quiet-Sun
// disk through the fan beam, scaled so that its centre is the quiet-Sun
// level tqSun the calibrations aim at; Data - Worksheet then leaves the
// active regions.
namespace qm {

class Workbench;

// The disk of radius r seen through a beam of half-power width h along the
// scan and v across it, at offset x from the centre:
//   M(x) = ∫_{-r}^{r} exp(-4 ln2 (x-u)²/h²) erf(2√ln2 √(r²-u²)/v) du,
// or erf(2√ln2 √(r²-x²)/v) inside the disk when h = 0.
class DiskScanModel {
public:
    DiskScanModel(double radius, double h, double v);
    double operator()(double x) const;

private:
    double r_, h_, v_;
};

// Command 184 on every target scan.
void makeSunTemplate(Workbench& wb);

} // namespace qm
