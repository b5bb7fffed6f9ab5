#include "analysis/correlation.h"

#include "analysis/scan_text.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>

namespace qm {

double pearson(const float* a, const float* c, int m)
{
    if (!a || !c || m <= 0)
        return 0;
    long double sa = 0, sc = 0;
    for (int i = 0; i < m; ++i) {
        sa += a[i];
        sc += c[i];
    }
    const float ma = static_cast<float>(sa / m), mc = static_cast<float>(sc / m);
    long double sac = 0, saa = 0, scc = 0;
    for (int i = 0; i < m; ++i) {
        const long double da = static_cast<long double>(a[i]) - ma, dc = static_cast<long double>(c[i]) - mc;
        sac += da * dc;
        saa += da * da;
        scc += dc * dc;
    }
    long double den = std::sqrt(saa * scc);
    if (den == 0)
        den = 1;
    return static_cast<double>(sac / den);
}

void runCorrelation(Workbench& wb)
{
    if (!wb.requireNoOpenReport())
        return;
    if (wb.interactiveMode && !wb.allMode) {
        wb.message("Must be option ALL");
        return;
    }
    if (wb.interactiveMode && !wb.requireWorksheetSelected())
        return;
    const auto flag = wb.askInteger("Corr. for Frq/All (1/0)");
    if (!flag)
        return;
    std::vector<ScanRecord*> scans;
    if (wb.groupMode != 0)
        scans = wb.groupScans;
    else
        for (const auto& r : wb.scans)
            scans.push_back(r.get());

    std::string report = "Frq1:Frq2     Data 1;Data 2\t\tCorr_I\tCorr_V\r\n";
    for (std::size_t k = 1; k < scans.size(); ++k) {
        const ScanRecord& later = *scans[k];
        const ScanRecord& earlier = *scans[k - 1];
        if (*flag == 1 && later.frequency != earlier.frequency)
            continue;
        const PointSpan span = selectedSpan(wb, std::min(later.nPoints, earlier.nPoints));
        const int m = span.end - span.begin;
        double r[2] = {0, 0};
        if (wb.chkWrkI && later.wrkI() && earlier.wrkI())
            r[0] = pearson(later.wrkI() + span.begin, earlier.wrkI() + span.begin, m);
        if (wb.chkWrkV && later.wrkV() && earlier.wrkV())
            r[1] = pearson(later.wrkV() + span.begin, earlier.wrkV() + span.begin, m);
        report += format("%05.2f:%05.2f  %s;%s\t%+.3f\t%+.3f\r\n", later.frequency, earlier.frequency,
                         fieldString(later.dateObs).c_str(), fieldString(earlier.dateObs).c_str(), r[0], r[1]);
    }
    wb.deliverReport("Correlation", report);
}

} // namespace qm
