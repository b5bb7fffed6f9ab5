#include "cli/export_option.h"

#include "cli/headless_workbench.h"
#include "view/page_options.h"

#include <cstdio>
#include <filesystem>

namespace qm {

int runExportOption(const std::vector<std::string>& args)
{
    PageOptions o;
    if (const std::string why = parsePageOptions(args, o); !why.empty()) {
        std::fprintf(stderr, "quillmar-batch: %s\n", why.c_str());
        return 2;
    }
    HeadlessWorkbench h;
    bool loaded = true;
    for (const std::string& f : o.files) {
        std::error_code ec;
        const auto path = std::filesystem::absolute(f, ec);
        if (!h.load(ec ? f : path.string())) {
            h.ui.reportError("cannot load " + f);
            loaded = false;
        }
    }
    const int status = exportPageOptions(h.wb, o);
    h.reportFailures();
    if (status == 2)
        std::fprintf(stderr, "quillmar-batch: unknown view name (known: %s)\n", kViewNames);
    return status != 0 ? status : loaded ? 0 : 1;
}

} // namespace qm
