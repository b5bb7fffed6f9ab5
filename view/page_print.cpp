#include "view/page_print.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "view/page_output.h"

#include <cmath>

namespace qm {

namespace {

void printCommand(Workbench& wb)
{
    if (wb.scans.empty())
        return;
    if (!wb.interactiveMode) { // nothing is printed without a person at the printer
        wb.statusHint(128);
        return;
    }
    const auto answer = wb.ui().askText(kPrintThicknessPrompt);
    if (!answer)
        return;
    int typed = 0;
    if (!scanInt(*answer, typed))
        typed = 0;
    const int thickness = clampThickness(typed, kMaxPrintThickness);
    wb.ui().printPage([&wb, thickness](Canvas& c) { paintPage(wb, c, thickness, 0); });
}

} // namespace

PrintPageSize printPageSize(int horzRes, int vertRes, int dpiX, int dpiY, bool portrait)
{
    const double a = dpiY > 0 ? double(dpiX) / dpiY : 1.0;
    if (portrait) {
        const int w = horzRes - 80;
        return {w, int(std::trunc(w * 0.7 / a))};
    }
    const int h = vertRes - 90;
    return {int(std::trunc(h * 1.3 * a)), h};
}

void registerPagePrintCommands(CommandTable& t) { t.handle(128, printCommand); }

} // namespace qm
