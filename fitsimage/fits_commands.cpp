#include "fitsimage/fits_commands.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "fitsimage/fits_display.h"
#include "fitsimage/fits_image.h"
#include "fitsimage/fits_painter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

// A batch title "FILE mode convolution arcsec Lmin Lmax Z": the file, and
// the fields given replace those of the held record.
std::string applyBatchTitle(const std::string& title, FitsOptions& o)
{
    std::string file(title.size() + 1, '\0');
    int mode = 0, convolution = 0, arcSeconds = 0;
    float lmin = 0, lmax = 0, zero = 0;
    const int n = std::sscanf(title.c_str(), "%s %d %d %d %f %f %f", file.data(), &mode, &convolution, &arcSeconds,
                              &lmin, &lmax, &zero);
    if (n < 1)
        return {};
    file.resize(std::char_traits<char>::length(file.c_str()));
    if (n >= 2)
        o.mode = mode >= 0 && mode < kFitsModeCount ? mode : kFitsNone;
    if (n >= 3)
        o.beamConvolution = convolution;
    if (n >= 4)
        o.arcSeconds = arcSeconds;
    if (n >= 5)
        o.minLevel = lmin;
    if (n >= 6)
        o.maxLevel = lmax;
    if (n >= 7)
        o.zeroLevel = zero;
    return file;
}

int truncArg(float v) { return std::isfinite(v) && std::fabs(v) < 1e9f ? static_cast<int>(v) : 0; }

} // namespace

void fitsConvolution(Workbench& wb)
{
    if (wb.interactiveMode && !wb.requireWorksheetSelected())
        return;
    if (!wb.activeScan)
        return;
    FitsImageState& st = fitsImageState(wb);
    FitsOptions& options = fitsOptions(wb);
    std::string path;
    FitsLoadParams p;
    std::optional<float> offset;
    if (wb.interactiveMode) {
        FileDialogSpec spec;
        spec.title = "Fits convolution";
        spec.filters = {{"FITS files", "*.fit;*.fts;*.fits"}, {"Any Files", "*.*"}};
        spec.initialDir = st.lastFolder.empty() ? wb.settings.output : st.lastFolder;
        const auto chosen = wb.ui().openFile(spec);
        if (!chosen || chosen->empty() || !wb.confirmAllMode())
            return;
        path = *chosen;
        FitsLoadingFields fields = fitsLoadingFields(options);
        if (!wb.ui().fitsLoadingDialog(fields))
            return;
        const FitsLoadingChoice choice = fitsLoadingChoice(fields);
        options = choice.options;
        storeFitsOptions(wb.store(), options);
        p.quietSun = choice.quietSun;
        p.angleSign = choice.angleSign;
    } else {
        path = applyBatchTitle(wb.batchTitle, options);
        p.quietSun = wb.batchArgs[0];
        p.angleSign = truncArg(wb.batchArgs[1]);
        offset = static_cast<float>(truncArg(wb.batchArgs[3]));
    }
    p.radiusKeyword = options.radiusKeyword;
    p.arcSeconds = options.arcSeconds != 0;
    p.scanRadius = wb.activeScan->radius;
    p.angleP = wb.activeScan->angleP;

    std::optional<FitsImage> image;
    if (!wb.guardMemory([&] { image = path.empty() ? std::nullopt : readFitsImage(path, p); }))
        return;
    if (!image) {
        wb.refuse(format(kNotFitsImageText, path.c_str()));
        return;
    }
    st.image = std::move(image);
    st.lastFolder = std::filesystem::path(path).parent_path().string();
    if (offset)
        wb.sunDiskOffset = *offset;
    redoFitsDisplay(wb);
}

void fitsImageView(Workbench& wb)
{
    if (!wb.fitsState || !wb.fitsState->image || wb.fitsState->bitmap.empty() || !wb.view.fitsImage)
        return;
    FitsOptions& options = fitsOptions(wb);
    if (wb.interactiveMode) {
        FitsViewFields fields = fitsViewFields(options);
        if (!wb.ui().fitsViewDialog(fields))
            return;
        options = applyFitsViewFields(options, fields);
        storeFitsOptions(wb.store(), options);
    }
    redoFitsDisplay(wb);
}

void registerFitsImageCommands(CommandTable& t)
{
    t.handle(142, fitsConvolution);
    t.handle(196, fitsImageView);
}

void installFitsImageHooks(Workbench& wb)
{
    wb.fitsImagePainter = paintFitsImage;
    wb.closeHooks.push_back([](Workbench& w) {
        if (w.fitsState) {
            w.fitsState->image.reset();
            w.fitsState->bitmap.clear();
        }
    });
    auto previous = wb.settingsAppliedHook;
    wb.settingsAppliedHook = [previous](Workbench& w) {
        if (previous)
            previous(w);
        if (w.fitsState && w.fitsState->image)
            reloadFitsPalette(w);
    };
}

} // namespace qm
