#pragma once
// Runs a built program as a user would, capturing its exit code and output.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace qm::test {

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
