#include "app/output_folder.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <filesystem>

namespace qm {

namespace fs = std::filesystem;

std::string prepareFolder(const std::string& folder)
{
    if (folder.empty())
        return "No output folder is set";
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return {};
    if (fs::exists(folder, ec))
        return format("Output folder %s is not a folder", folder.c_str());
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        return format("Output folder %s cannot be created", folder.c_str());
    return {};
}

std::optional<std::string> outputFolder(Workbench& wb)
{
    const std::string error = prepareFolder(wb.settings.output);
    if (!error.empty()) {
        wb.fail(error);
        return std::nullopt;
    }
    return wb.settings.output;
}

} // namespace qm
