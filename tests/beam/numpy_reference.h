#pragma once
// Runs beam_reference.py (beside the tests) with Debian's python3-numpy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace qm::test {

inline const char* const kPython = "/usr/bin/python3";

inline bool numpyAvailable()
{
    return std::system((std::string(kPython) + " -c 'import numpy' >/dev/null 2>&1").c_str()) == 0;
}

inline std::string referenceScript()
{
    const char* src = std::getenv("QUILLMAR_SOURCE");
    return std::string(src ? src : ".") + "/tests/beam/beam_reference.py";
}

inline std::vector<double> readNumbers(const std::string& path)
{
    std::ifstream in(path);
    return {std::istream_iterator<double>(in), std::istream_iterator<double>()};
}

// Runs the script with its standard output sent to `out`; false on failure.
inline bool runScript(const std::string& args, const std::string& out = "/dev/null")
{
    const std::string cmd = std::string(kPython) + " " + referenceScript() + " " + args + " > " + out;
    return std::system(cmd.c_str()) == 0;
}

// The whitespace-separated numbers the script printed (empty on failure).
inline std::vector<double> runReference(const std::string& args)
{
    const std::string out = std::string(::testing::TempDir()) + "beam_reference.out";
    return runScript(args, out) ? readNumbers(out) : std::vector<double>{};
}

} // namespace qm::test
