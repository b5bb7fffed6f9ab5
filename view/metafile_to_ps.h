#pragma once
// The black-and-white PostScript page made from a Windows metafile: a
// fixed prologue, one translated piece per drawing record (y flipped for
// PostScript's upward axis), and the epilogue. Records it does not know are
// skipped; a record whose size is below 3 words or runs past the end ends
// the translation.
#include <string>
#include <string_view>

namespace qm {

struct PsPage {
    int width = 0, height = 0;
    int fontHeight = 14; // the Times-Roman size of the page's text
    int thickness = 0;   // line width
};

// `metafile` starts with the 18-byte metafile header (a placeable header
// must be taken off first).
std::string metafileToPostScript(std::string_view metafile, const PsPage& page);

} // namespace qm
