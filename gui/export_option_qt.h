#pragma once
// `quillmar --export OUT [--size WxH] [--pen N] [--group 1|2|3] [--view LIST]
// FILE...`: loads the files as the window would, writes the page, ends.
#include <QStringList>

namespace qm {

bool wantsExport(const QStringList& args);

// `args` without the program name. 0 written, 1 failed, 2 wrong command line.
int runExport(const QStringList& args);

} // namespace qm
