#pragma once
// "Export..." (command 141): the page as a PostScript, Windows metafile,
// enhanced metafile, PDF, SVG or PNG file, chosen in the "Export page
// control panel" or given by the batch arguments (W, H, type, thickness).
#include "app/command_table.h"

#include <optional>
#include <string>

namespace qm {

class Workbench;

// Fields of the "Export page control panel" as it opens.
struct ExportPanelFields {
    int thickness = 1; // "Thick Pen"
    int width = 500;   // "Width [pixel]"
    int height = 400;  // "Height [pixel]"
    int type = 2;      // the selected kPageTypes entry
};

struct PageRequest {
    int width = 500, height = 400;
    int type = 2;
    int thickness = 1; // clamped to 0..5 on use
};

inline constexpr const char* kNoViewText = "VIEW of scan is not checked";
inline constexpr const char* kNoPsText = "Can't create PS-file";

// Why the request cannot be exported (size, type, PostScript under a FITS
// image), or empty.
std::string pageRequestError(const Workbench& wb, const PageRequest& r);
// The page's file in memory, or nullopt when the writer failed.
std::optional<std::string> pageFile(Workbench& wb, const PageRequest& r);
// Checks, paints and writes the file at `path` (a temporary beside it,
// renamed); a refusal or a failed write is reported and gives false.
bool exportPage(Workbench& wb, const std::string& path, const PageRequest& r);

void registerPageExportCommands(CommandTable& t);

} // namespace qm
