#include "batch/example_scripts.h"

#include "app/workbench.h"
#include "batch/script_runner.h"

#include <filesystem>

namespace qm {

namespace fs = std::filesystem;

bool provideExampleScripts(Workbench& wb)
{
    const fs::path folder = scriptFolder(wb);
    const fs::path examples = fs::path(wb.programDir) / kExampleScriptsFolder;
    std::error_code ec;
    if (folder.empty() || fs::exists(folder, ec) || ec || !fs::is_directory(examples, ec))
        return false;
    if (!fs::create_directories(folder, ec))
        return false;
    int copied = 0;
    for (fs::directory_iterator it(examples, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (it->is_regular_file(e2) && it->path().extension() == ".spt" &&
            fs::copy_file(it->path(), folder / it->path().filename(), fs::copy_options::skip_existing, e2))
            ++copied;
    }
    return copied > 0;
}

} // namespace qm
