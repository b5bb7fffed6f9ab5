#pragma once
// The file types a page is exported as: number (the export panel's choice
// and the third batch argument), the panel's label, the save dialog's
// filter and the extension of names made from a batch title.
#include <string>

namespace qm {

struct PageType {
    int number;
    const char* label;       // "Export page control panel"
    const char* filterName;  // save dialog
    const char* extension;   // with the dot
};

inline constexpr PageType kPageTypes[] = {
    {1, "PostScript(B&W)", "PostScript", ".ps"}, {2, "Windows Metafile", "Metafile", ".wmf"},
    {3, "Enhanced Metafile", "Enhanced Metafile", ".emf"}, {4, "PDF", "PDF", ".pdf"},
    {5, "SVG", "SVG", ".svg"}, {6, "PNG", "PNG", ".png"},
};

inline constexpr int kPagePostScript = 1, kPageWmf = 2, kPageEmf = 3, kPagePdf = 4, kPageSvg = 5, kPagePng = 6;

// The type of a number, or null when there is none.
inline const PageType* pageType(int number)
{
    for (const PageType& t : kPageTypes)
        if (t.number == number)
            return &t;
    return nullptr;
}

// The type named by a file's extension (any case), or null.
const PageType* pageTypeOfPath(const std::string& path);

} // namespace qm
