#pragma once
// "Print..." (command 128): the rules of a printed page. The GUI asks for
// the printer and draws; the core decides the pen and the page size.
#include "app/command_table.h"

namespace qm {

inline constexpr const char* kPrintThicknessPrompt = "Thick of pen(0..4):";

struct PrintPageSize {
    int width = 0, height = 0;
};

// The page drawn on a printer of HORZRES x VERTRES pixels at dpiX x dpiY:
// with a = dpiX/dpiY, portrait W = HORZRES - 80, H = trunc(W*0.7/a);
// landscape H = VERTRES - 90, W = trunc(H*1.3*a).
PrintPageSize printPageSize(int horzRes, int vertRes, int dpiX, int dpiY, bool portrait);

void registerPagePrintCommands(CommandTable& t);

} // namespace qm
