#include "analysis/analysis_commands.h"

#include "analysis/correlation.h"
#include "analysis/flux_report.h"
#include "analysis/gauss_analysis.h"
#include "analysis/gauss_editor.h"
#include "analysis/line_field_search.h"
#include "analysis/local_spectrum.h"
#include "analysis/sun_template.h"
#include "analysis/surf3d.h"
#include "analysis/wide_gauss.h"
#include "app/command_table.h"
#include "app/workbench.h"

namespace qm {

void registerAnalysisCommands(CommandTable& t)
{
    t.handle(165, [](Workbench& wb) { runAnalysis(wb, AnalysisMode::Sigma); });
    t.handle(125, [](Workbench& wb) { runAnalysis(wb, AnalysisMode::FullFlux); });
    t.handle(166, [](Workbench& wb) { runAnalysis(wb, AnalysisMode::GaussParam); });
    t.handle(174, [](Workbench& wb) { runAnalysis(wb, AnalysisMode::DeltaRL); });
    t.handle(155, runCorrelation);
    registerGaussCommands(t);
    t.handle(143, runWideGauss);
    t.handle(176, interactiveGauss);
    t.handle(184, makeSunTemplate);
    registerLineFieldCommands(t);
    registerLocalSpectrumCommands(t);
    registerSurf3dCommands(t);
}

void installAnalysisHooks(Workbench& wb) { wb.clickSpectrumHook = clickSpectrum; }

} // namespace qm
