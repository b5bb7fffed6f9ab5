#pragma once
// Debian's python3 with numpy, scipy or astropy as an independent reference:
// whether it imports the modules, and what a reference script of the tests
// prints.
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qm::test {

// Whether /usr/bin/python3 imports the modules ("numpy", "astropy, numpy").
inline bool pythonImports(const std::string& modules)
{
    return std::system(("/usr/bin/python3 -c 'import " + modules + "' >/dev/null 2>&1").c_str()) == 0;
}

// Runs tests/<script> of the source tree (QUILLMAR_SOURCE) with the
// arguments; what it printed, or nullopt when it failed.
inline std::optional<std::string> runReference(const std::string& script, const std::string& args)
{
    const char* src = std::getenv("QUILLMAR_SOURCE");
    const TempDir dir("qm-py");
    const std::string out = dir.file("out");
    const std::string path = std::string(src ? src : ".") + "/tests/" + script;
    if (std::system(("/usr/bin/python3 " + path + " " + args + " >" + out).c_str()) != 0)
        return std::nullopt;
    return readTextFile(out);
}

// The numbers in a text of blank-separated numbers.
inline std::vector<double> numbersIn(const std::string& text)
{
    std::istringstream in(text);
    std::vector<double> v;
    for (double x; in >> x;)
        v.push_back(x);
    return v;
}

} // namespace qm::test
