#pragma once
// Interactive Gauss (176): the rules of the "Interactive Gauss Analiz"
// dialog. While it is open the scan carries the edited 65-float copy of its
// Gaussian table (element 2 the current component), so the plot shows every
// change; OK keeps the copy, Cancel puts the old table back.
#include <string>
#include <vector>

namespace qm {

class Workbench;
struct ScanRecord;

enum class GaussParameter { XPosition, YPosition, Theta, Amplitude };

class GaussEditor {
public:
    // Checks 1076, 1009 and 1087 and attaches the copy; false when refused.
    bool open(Workbench& wb);

    // Controls the dialog sets before pressing a button.
    GaussParameter parameter = GaussParameter::XPosition;
    double scale = 1;   // "x 0.1", "x 1", "x 10"
    int count = 1;      // edit 112, 0 ... 10
    bool clear = false; // "Clear"
    std::string yText;  // edit 122, read with "%f" on every command

    void plus() { change(+1); }
    void minus() { change(-1); }
    void next();
    void remove();
    void insert();
    void ok();
    void cancel();
    bool isOpen() const { return scan_ != nullptr; }
    // Recomputes the displays (after "Clear" changed) and redraws.
    void refresh();

    // Displays 101, 102, 122, 103 and 119.
    std::string amplitudeText, thetaText, xText, fluxText;
    int components() const;
    int current() const; // 1-based, 0 when there is none

private:
    void change(int sign);
    void readY();
    void sortByPosition();
    void close();
    float* component(int k); // 1-based
    Workbench* wb_ = nullptr;
    ScanRecord* scan_ = nullptr;
    std::vector<float> old_;
    int channel_ = 1;
    double unit_ = 1, fluxFactor_ = 1, beam2_ = 0;
};

void interactiveGauss(Workbench& wb);

} // namespace qm
