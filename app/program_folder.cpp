#include "app/program_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qm {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string programFolder()
{
    if (std::string home = environment("QUILLMAR_HOME"); !home.empty())
        return home;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    const fs::path dir = exe.parent_path();
    if (dir.filename() == "bin") {
        const fs::path shared = dir.parent_path() / "share" / "quillmar";
        if (fs::is_directory(shared, ec))
            return shared.string();
    }
    return dir.string();
}

std::string writableProgramFolder(const std::string& programDir)
{
    std::error_code ec;
    if (fs::is_directory(programDir, ec) && ::access(programDir.c_str(), W_OK | X_OK) == 0)
        return programDir;
    std::string data = environment("XDG_DATA_HOME");
    // Relative values are to be ignored, as the XDG rules say.
    if (data.empty() || !fs::path(data).is_absolute())
        data = (fs::path(homeFolder()) / ".local" / "share").string();
    return (fs::path(data) / "quillmar").string();
}

std::string homeFolder()
{
    if (std::string home = environment("HOME"); !home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

} // namespace qm
