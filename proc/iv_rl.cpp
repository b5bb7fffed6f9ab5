#include "proc/iv_rl.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <algorithm>

namespace qm {

namespace {

using ld = long double;

constexpr int kEndPoints = 20;     // zeroed at each end before scaling
constexpr int kLevelPoints = 10;   // points 1..10 and n-11..n-2 give the level
constexpr int kMinScaledPoints = 2 * kLevelPoints + 2;

ld endLevel(const float* x, int n)
{
    ld s = 0;
    for (int i = 1; i <= kLevelPoints; ++i)
        s += static_cast<ld>(x[i]) + x[n - 1 - i];
    return 0.05L * s;
}

// Removes the end levels of R and L, zeroes their ends and scales L to R.
ld scaleLeftToRight(float* r, float* l, int n)
{
    for (float* x : {r, l}) {
        const ld level = endLevel(x, n);
        for (int i = 0; i < n; ++i)
            x[i] = static_cast<float>(x[i] - level);
        const int ends = std::min(kEndPoints, n);
        std::fill(x, x + ends, 0.0f);
        std::fill(x + n - ends, x + n, 0.0f);
    }
    ld sr = 0, sl = 0;
    for (int i = 0; i < n; ++i) {
        sr += r[i];
        sl += l[i];
    }
    if (sl == 0)
        return 1;
    const ld kf = sr / sl;
    for (int i = 0; i < n; ++i)
        l[i] = static_cast<float>(l[i] * kf);
    return kf;
}

} // namespace

long double transformIvRl(ScanRecord& scan, bool equalScaling)
{
    float* a = scan.wrkI();
    float* b = scan.wrkV();
    const int n = scan.nPoints;
    if (!a || !b)
        return 1;
    ld kf = 1;
    ld factor = 2;
    // The two end levels need 2 x 10 distinct points besides the end
    // points; a shorter scan is transformed without scaling.
    if (equalScaling && scan.flagIvWrk != 0 && n >= kMinScaledPoints) {
        kf = scaleLeftToRight(a, b, n);
        factor = 1;
    }
    for (int i = 0; i < n; ++i) {
        const ld p = a[i], q = b[i];
        a[i] = static_cast<float>((p + q) * 0.5L * factor);
        b[i] = static_cast<float>((p - q) * 0.5L * factor);
    }
    scan.flagIvWrk = scan.flagIvWrk != 0 ? 0 : 1;
    return kf;
}

void runIvRlTransform(Workbench& wb)
{
    if (!wb.chkWrkI || !wb.chkWrkV) {
        wb.refuse("(Wrksh_I and Wrksh_V) are not checked");
        return;
    }
    if (!wb.requireNoOpenReport() || !wb.confirmAllMode())
        return;
    const bool equal =
        wb.message("Do the same scale for R&L polarizations?", "Scaling", MsgButtons::OkCancel) == kOk;
    std::string report = "Frq\t Date obs.\t Time obs.\tKf(R/L)\t(Kf>1.4)\r\n";
    wb.forEachTarget("IV<=>RL transform", [&](ScanRecord& scan) {
        if (!scan.hasI() || !scan.hasV())
            return true;
        const ld kf = transformIvRl(scan, equal);
        report += format("%.2f\t%s\t%s\t%.4e\t%d\r\n", static_cast<double>(scan.frequency), scan.dateObs,
                         scan.timeObs, static_cast<double>(kf), kf > 0.7L && kf < 1.4L ? 0 : 1);
        if (wb.allMode)
            wb.status(format("Transformation (I,V<=>R,L) of scan %.2f[GHz] is finished",
                             static_cast<double>(scan.frequency)));
        return true;
    });
    wb.deliverReport("Normal koef(R-L)", report);
}

} // namespace qm
