// The Scan menu's copies, the Modification sub-menu, Tail of curve,
// Overturn and Delete Gauss: elementary arithmetic on the switched-on
// worksheets of the active scan or of every target scan.
#include "app/command_table.h"
#include "app/workbench.h"
#include "proc/delete_scans.h"
#include "proc/derive.h"
#include "proc/iv_rl.h"
#include "proc/proc_commands.h"
#include "proc/worksheet_math.h"
#include "proc/worksheet_run.h"

#include <algorithm>

namespace qm {

namespace {

// Runs the common steps, then `perChannel(scan, channel, number)` on every
// switched-on worksheet of every target.
template <class F>
void onWorksheets(Workbench& wb, const WorksheetRunSpec& spec, F perChannel)
{
    const auto number = prepareWorksheetRun(wb, spec);
    if (!number)
        return;
    runOnTargets(wb, [&](ScanRecord& scan) {
        for (const ChannelArrays& c : selectedWorksheets(wb, scan))
            perChannel(scan, c, *number);
    });
}

// Data->Wrksh (114), Wrksh->Data (113), Data--Wrksh (121): whole arrays of
// every channel whose Data and Worksheet switches are both on.
enum class Copy { DataToWrk, WrkToData, DataMinusWrk };

void copyBetween(Workbench& wb, Copy kind)
{
    WorksheetRunSpec spec;
    spec.pairedData = true;
    if (kind == Copy::WrkToData)
        spec.question = "Do You want to copy Worksheet to Data?";
    if (!prepareWorksheetRun(wb, spec))
        return;
    runOnTargets(wb, [&](ScanRecord& scan) {
        bool copied = false;
        for (const ChannelArrays& c : selectedWorksheets(wb, scan)) {
            if (!c.dataOn || !c.data)
                continue;
            const int n = scan.nPoints;
            for (int i = 0; i < n; ++i) {
                switch (kind) {
                case Copy::DataToWrk:
                    c.wrk[i] = c.data[i];
                    break;
                case Copy::WrkToData:
                    c.data[i] = c.wrk[i];
                    break;
                case Copy::DataMinusWrk:
                    c.wrk[i] = c.data[i] - c.wrk[i];
                    break;
                }
            }
            copied = true;
        }
        if (!copied)
            return;
        if (kind == Copy::DataToWrk) {
            scan.calibWrk = scan.calibData;
            scan.fluxWrk = scan.fluxData;
            scan.flagIvWrk = scan.flagIvData;
        } else if (kind == Copy::WrkToData) {
            scan.calibData = scan.calibWrk;
            scan.fluxData = scan.fluxWrk;
            scan.flagIvData = scan.flagIvWrk;
        }
    });
}

// Wrksh+N (119) and Wrksh*N (120) on the selected part [b, e).
void addToWorksheet(Workbench& wb)
{
    onWorksheets(wb, {.prompt = "Wrk[i]=Wrk[i]+"}, [&](ScanRecord& s, const ChannelArrays& c, float v) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        for (int i = p.begin; i < p.end; ++i)
            c.wrk[i] += v;
    });
}

void multiplyWorksheet(Workbench& wb)
{
    onWorksheets(wb, {.prompt = "Wrk[i]=Wrk[i]*"}, [&](ScanRecord& s, const ChannelArrays& c, float v) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        for (int i = p.begin; i < p.end; ++i)
            c.wrk[i] *= v;
    });
}

// Line (129) and Overturn (150) between the ends of the shown range.
void lineWorksheet(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        chordLine(c.wrk, s.nPoints, wb.viewBegin, wb.viewEnd);
    });
}

void overturnWorksheet(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        chordOverturn(c.wrk, s.nPoints, wb.viewBegin, wb.viewEnd);
    });
}

// Eq. Null (173): a flag that is not an int is "another flag".
void eqNullWorksheet(Workbench& wb)
{
    onWorksheets(wb, {.prompt = "Input Flag (1 or 0) :"}, [&](ScanRecord& s, const ChannelArrays& c, float v) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        zeroBySign(c.wrk, p.begin, p.end, truncToInt(v).value_or(0));
    });
}

// ABS(Wrksh) (137).
void absWorksheet(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        for (int i = p.begin; i < p.end; ++i)
            if (c.wrk[i] < 0)
                c.wrk[i] = -c.wrk[i];
    });
}

// Derive (131): only channels whose Data switch is on as well.
void deriveWorksheet(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        if (c.dataOn)
            smoothedDerivative(c.wrk, s.nPoints);
    });
}

// Polarization (130): V := 100 V / I; both worksheets must be switched on.
void polarizationWorksheet(Workbench& wb)
{
    if (wb.interactiveMode && !wb.requireWorksheetSelected())
        return;
    if (!wb.chkWrkI || !wb.chkWrkV)
        return;
    const auto noise = prepareWorksheetRun(wb, {.prompt = "Input level of noise:"});
    if (!noise)
        return;
    runOnTargets(wb, [&](ScanRecord& s) {
        if (s.wrkI() && s.wrkV())
            polarizationDegree(s.wrkI(), s.wrkV(), s.nPoints, *noise);
    });
}

// Ta[K]=>Flux (146): both worksheets, whatever the switches, once only.
void taToFlux(Workbench& wb)
{
    if (!prepareWorksheetRun(wb, {}))
        return;
    runOnTargets(wb, [](ScanRecord& s) {
        if (s.fluxWrk != 0)
            return;
        for (float* x : {s.wrkI(), s.wrkV()})
            if (x)
                for (int i = 0; i < s.nPoints; ++i)
                    x[i] = static_cast<float>(static_cast<long double>(x[i]) * s.fluxCoef);
        // The Gaussian table keeps describing its worksheet: amplitudes too.
        const std::size_t comps = s.gauss.size() < 3 ? 0 : (s.gauss.size() - 3) / 4;
        const auto count = s.gauss.empty() ? std::nullopt : truncToInt(s.gauss[0]);
        for (std::size_t k = 0; count && k < std::min(comps, std::size_t(std::clamp(*count, 0, kMaxGaussComponents))); ++k)
            s.gauss[3 + 4 * k] *= s.fluxCoef;
        s.fluxWrk = 1;
    });
}

// Min rel. Csun (168) and Copy rel.Csun (167): mirror about centerPoint.
void minRelCenter(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        minAcrossCenter(c.wrk, s.nPoints, s.centerPoint, p.begin, p.end);
    });
}

void copyRelCenter(Workbench& wb)
{
    onWorksheets(wb, {}, [&](ScanRecord& s, const ChannelArrays& c, float) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        copyAcrossCenter(c.wrk, s.nPoints, s.centerPoint, p.begin, p.end);
    });
}

// Null level (156): a mode other than 0..3 is refused before anything runs.
void nullLevel(Workbench& wb)
{
    const auto number = prepareWorksheetRun(wb, {.prompt = "0-Auto 1-R 2-L 3-C :"});
    if (!number)
        return;
    const auto mode = truncToInt(*number);
    if (!mode || *mode < 0 || *mode > 3)
        return;
    runOnTargets(wb, [&](ScanRecord& s) {
        const PointSpan p = selectedSpan(wb, s.nPoints);
        for (const ChannelArrays& c : selectedWorksheets(wb, s)) {
            const auto z = zeroLevel(c.wrk, s.nPoints, *mode, p.begin, p.end);
            if (!z)
                continue;
            for (int i = 0; i < s.nPoints; ++i)
                c.wrk[i] = static_cast<float>(c.wrk[i] - *z);
        }
    });
}

// Tail of curve (115): a count beyond the scan changes nothing.
void tailWorksheet(Workbench& wb)
{
    const auto number = prepareWorksheetRun(wb, {.prompt = "Input number of points:"});
    if (!number)
        return;
    const auto count = truncToInt(*number);
    if (!count || *count == 0)
        return;
    runOnTargets(wb, [&](ScanRecord& s) {
        for (const ChannelArrays& c : selectedWorksheets(wb, s))
            tailOfCurve(c.wrk, s.nPoints, *count);
    });
}

// Delete Gauss (132): the scan no longer has a Gaussian table.
void deleteGauss(Workbench& wb)
{
    if (!prepareWorksheetRun(wb, {}))
        return;
    runOnTargets(wb, [](ScanRecord& s) {
        s.gauss.clear();
        s.gauss.shrink_to_fit();
    });
}

} // namespace

void registerWorksheetCommands(CommandTable& t)
{
    t.handle(114, [](Workbench& wb) { copyBetween(wb, Copy::DataToWrk); });
    t.handle(113, [](Workbench& wb) { copyBetween(wb, Copy::WrkToData); });
    t.handle(121, [](Workbench& wb) { copyBetween(wb, Copy::DataMinusWrk); });
    t.handle(119, addToWorksheet);
    t.handle(120, multiplyWorksheet);
    t.handle(129, lineWorksheet);
    t.handle(150, overturnWorksheet);
    t.handle(173, eqNullWorksheet);
    t.handle(137, absWorksheet);
    t.handle(131, deriveWorksheet);
    t.handle(130, polarizationWorksheet);
    t.handle(146, taToFlux);
    t.handle(168, minRelCenter);
    t.handle(167, copyRelCenter);
    t.handle(156, nullLevel);
    t.handle(115, tailWorksheet);
    t.handle(132, deleteGauss);
    t.handle(122, runIvRlTransform);
    t.handle(123, deleteActiveScan);
}

} // namespace qm
