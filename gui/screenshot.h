#pragma once
// `quillmar --screenshot OUT.png [--size WxH] [--group MODE] [--view OPTIONS]
// [FILE...]`: loads the files, paints the main window offscreen, saves the
// picture and ends. Used by `make screenshots` for the pictures in docs/.
#include <QStringList>

namespace qm {

class WrkWin;

// For runs from the command line: the window's message boxes go to stderr,
// then the files load; false when one of them did not.
bool loadUnattended(WrkWin& window, const QStringList& files);

// True when the command line asks for a screenshot.
bool wantsScreenshot(const QStringList& args);

// Runs the screenshot; `args` without the program name. Returns 0 when the
// picture was saved, 1 when a file failed to load or the picture could not
// be written, 2 for a command line it does not understand.
int runScreenshot(const QStringList& args);

} // namespace qm
