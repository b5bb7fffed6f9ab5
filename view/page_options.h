#pragma once
// The command-line picture of a scan set shared by `quillmar --screenshot`,
// `quillmar --export` and `quillmar-batch --export`: the group view and
// the view names, and the options of an exported page.
#include <string>
#include <vector>

namespace qm {

class Workbench;

inline constexpr const char* kViewNames = "sun-disk,sun-center,dig-frame,equal-scale,worksheets";

// Switches on the named view options; false for a name it does not know.
bool applyViewNames(Workbench& wb, const std::vector<std::string>& names);
// The group view of the first scans of the set (nine for the array view).
void showGroupOfSet(Workbench& wb, int mode);

// `--export OUT [--size WxH] [--pen N] [--group 1|2|3] [--view LIST] FILE...`
struct PageOptions {
    std::string out;
    int width = 500, height = 400;
    int pen = 1;
    int group = 0;
    std::vector<std::string> view;
    std::vector<std::string> files;
};

// Empty when the arguments make a request, else what is wrong with them.
std::string parsePageOptions(const std::vector<std::string>& args, PageOptions& o);

// With the files loaded: the group view and the view names, then the page
// in the type of OUT's extension. 0 written, 1 not written (the reason is
// reported through the workbench), 2 for an unknown view name.
int exportPageOptions(Workbench& wb, const PageOptions& o);

} // namespace qm
