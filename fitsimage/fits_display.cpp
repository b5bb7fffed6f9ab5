#include "fitsimage/fits_display.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "files/jasc_palette.h"
#include "fitsimage/fits_image.h"
#include "fitsimage/fits_normalise.h"
#include "fitsimage/scan_convolution.h"

#include <filesystem>

namespace qm {

void redoFitsDisplay(Workbench& wb)
{
    FitsImageState& st = fitsImageState(wb);
    if (!st.image)
        return;
    const FitsOptions& o = fitsOptions(wb);
    FitsImage& img = *st.image;
    wb.guardMemory([&] {
        std::vector<double> v = img.pixels;
        normaliseFitsValues(v, o);
        double min = 0, max = 0;
        st.bitmap = fitsBitmapPixels(v, img.width, img.height, min, max);
        st.bitmapHeader = fitsBitmapHeader(img.width, img.height);
        wb.status(format("MIN value= %f; MAX value= %f", min, max));
        if (o.beamConvolution)
            convolveScans(wb, img, v);
        if (o.applyToData && o.mode < kFitsNormalization)
            img.pixels = std::move(v);
    });
    reloadFitsPalette(wb);
}

void reloadFitsPalette(Workbench& wb)
{
    FitsImageState& st = fitsImageState(wb);
    st.paletteColour = wb.view.colour;
    if (!wb.view.colour) {
        st.palette = greyPalette();
        return;
    }
    std::filesystem::path file(wb.settings.fitsPalette);
    if (!file.empty() && file.is_relative())
        file = std::filesystem::path(wb.programDir) / file;
    st.palette = paletteOrGrey(file.string());
}

const std::vector<uint32_t>& fitsPalette(Workbench& wb)
{
    FitsImageState& st = fitsImageState(wb);
    if (st.palette.size() != kPaletteSize || st.paletteColour != wb.view.colour)
        reloadFitsPalette(wb);
    return st.palette;
}

} // namespace qm
