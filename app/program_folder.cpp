#include "app/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qm {

std::string programFolder()
{
    if (const char* home = std::getenv("QUILLMAR_HOME"); home && *home)
        return home;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return exe.parent_path().string();
    return std::filesystem::current_path(ec).string();
}

} // namespace qm
