#pragma once
// `quillmar-batch --export OUT [--size WxH] [--pen N] [--group 1|2|3]
// [--view LIST] FILE...`: loads the files and writes the page as OUT.
#include <string>
#include <vector>

namespace qm {

// `args` follow "--export"'s own word; returns the exit status: 0 written,
// 1 failed, 2 wrong command line.
int runExportOption(const std::vector<std::string>& args);

} // namespace qm
