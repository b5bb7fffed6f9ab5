#pragma once
// A fresh folder under the system temporary folder, removed with its
// contents when the test ends.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace qm::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
    {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("qm-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct ToolRun {
    int code = -1;
    std::string out, err;
};

// Runs a built program in `cwd` with no input at all (a run that asked
// anything would read the end of the input and still finish).
inline ToolRun runTool(const std::string& program, const std::string& args, const std::string& cwd)
{
    const std::string out = cwd + "/.stdout", err = cwd + "/.stderr";
    const std::string cmd =
        "cd '" + cwd + "' && '" + program + "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
    const int status = std::system(cmd.c_str());
    ToolRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readTextFile(out), readTextFile(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

} // namespace qm::test
