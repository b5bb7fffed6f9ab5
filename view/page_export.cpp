#include "view/page_export.h"

#include "app/atomic_file.h"
#include "app/file_set_writer.h"
#include "app/page_types.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "view/cairo_canvas.h"
#include "view/emf_canvas.h"
#include "view/metafile_to_ps.h"
#include "view/page_output.h"
#include "view/wmf_canvas.h"

#include <cmath>

namespace qm {

namespace {

// Batch arguments are truncated toward zero; NaN and huge values become a
// number every check refuses.
int argument(float a) { return truncToInt(a).value_or(-1); }

// The page as a metafile, after `prefix`.
std::string metafile(Workbench& wb, const PageRequest& r, int thickness, std::string_view prefix = {})
{
    WmfCanvas c(r.width, r.height);
    paintPage(wb, c, thickness, pageFontHeight(r.width));
    return c.bytes(prefix);
}

void exportCommand(Workbench& wb)
{
    if (!wb.setLoaded)
        return;
    if (!(wb.chkDataI || wb.chkWrkI || wb.chkDataV || wb.chkWrkV)) {
        wb.refuse(kNoViewText);
        return;
    }
    PageRequest r;
    std::string path;
    if (wb.interactiveMode) {
        ExportPanelFields f;
        if (!wb.ui().exportPanel(f))
            return;
        r = {f.width, f.height, f.type, f.thickness};
        if (const std::string why = pageRequestError(wb, r); !why.empty()) {
            wb.refuse(why);
            return;
        }
        const PageType* t = pageType(r.type);
        FileDialogSpec spec;
        spec.title = "Export page";
        spec.filters = {{t->filterName, std::string("*") + t->extension}, {"Any Files", "*.*"}};
        spec.initialDir = wb.settings.lastDir;
        spec.mustExist = false;
        spec.confirmOverwrite = true;
        const auto chosen = wb.ui().saveFile(spec);
        if (!chosen)
            return;
        path = *chosen;
    } else {
        r = {argument(wb.batchArgs[0]), argument(wb.batchArgs[1]), argument(wb.batchArgs[2]),
             argument(wb.batchArgs[3])};
        path = wb.batchTitle;
    }
    exportPage(wb, path, r);
}

} // namespace

std::string pageRequestError(const Workbench& wb, const PageRequest& r)
{
    if (const std::string why = pageSizeError(r.width, r.height); !why.empty())
        return why;
    if (!pageType(r.type))
        return format("Unknown page type %d (1..6)", r.type);
    // The PostScript page is black and white line art: an image under the
    // plot has no place in it.
    if (r.type == kPagePostScript && wb.view.fitsImage)
        return kNoPsText;
    return {};
}

std::optional<std::string> pageFile(Workbench& wb, const PageRequest& r)
{
    const int thickness = clampThickness(r.thickness, kMaxExportThickness);
    const int fontHeight = pageFontHeight(r.width);
    const auto paint = [&](Canvas& c) { paintPage(wb, c, thickness, fontHeight); };
    switch (r.type) {
    case kPagePostScript:
        return metafileToPostScript(metafile(wb, r, thickness), {r.width, r.height, fontHeight, thickness});
    case kPageWmf: return metafile(wb, r, thickness, placeableHeader(r.width, r.height));
    case kPageEmf: {
        EmfCanvas c(r.width, r.height);
        paint(c);
        return c.bytes();
    }
    case kPagePdf:
    case kPageSvg:
    case kPagePng: {
        const CairoFormat f = r.type == kPagePdf ? CairoFormat::Pdf : r.type == kPageSvg ? CairoFormat::Svg
                                                                                          : CairoFormat::Png;
        std::string bytes = cairoPage(f, r.width, r.height, paint);
        if (bytes.empty())
            return std::nullopt;
        return bytes;
    }
    default: return std::nullopt;
    }
}

bool exportPage(Workbench& wb, const std::string& path, const PageRequest& r)
{
    if (const std::string why = pageRequestError(wb, r); !why.empty()) {
        wb.refuse(why);
        return false;
    }
    if (const std::string why = writeTargetError(path); !why.empty()) {
        reportWriteFailure(wb, why);
        return false;
    }
    std::optional<std::string> bytes;
    if (!wb.guardMemory([&] { bytes = pageFile(wb, r); }))
        return false;
    if (!bytes || !writeFileAtomically(path, *bytes)) {
        reportWriteFailure(wb, cannotWriteText(path));
        return false;
    }
    wb.status("Page written to " + path);
    return true;
}

void registerPageExportCommands(CommandTable& t) { t.handle(141, exportCommand); }

} // namespace qm
