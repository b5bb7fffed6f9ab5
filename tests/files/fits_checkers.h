#pragma once
// Independent FITS readers run from the tests: cfitsio's fitsverify and
// Python with astropy (Debian packages fitsverify and python3-astropy).
#include "tests/support/python_reference.h"
#include "tests/support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qm::test {

inline std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct VerifyResult {
    int warnings = -1, errors = -1;
    std::string report; // fitsverify's full output
};

// Runs fitsverify on a file; nullopt when the tool is not installed.
inline std::optional<VerifyResult> runFitsverify(const std::string& path)
{
    if (std::system("command -v fitsverify >/dev/null 2>&1") != 0)
        return std::nullopt;
    const std::string out = path + ".verify.txt";
    (void)std::system(("fitsverify " + shellQuote(path) + " >" + shellQuote(out) + " 2>&1").c_str());
    VerifyResult r;
    r.report = readTextFile(out);
    std::remove(out.c_str());
    const auto at = r.report.find("Verification found ");
    if (at != std::string::npos)
        std::sscanf(r.report.c_str() + at, "Verification found %d warning(s) and %d error(s)", &r.warnings,
                    &r.errors);
    return r;
}

// A Python interpreter that can import astropy and numpy (the system one
// first: a user's own Python may lack the Debian modules); nullopt when none.
inline std::optional<std::string> astropyPython()
{
    for (const char* py : {"/usr/bin/python3", "python3"}) {
        const std::string cmd = std::string(py) + " -c 'import astropy.io.fits, numpy' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0)
            return std::string(py);
    }
    return std::nullopt;
}

// Runs a script with the arguments; its standard output, or nullopt when
// it failed (the error output is kept in `err`).
inline std::optional<std::string> runPython(const std::string& python, const std::string& folder,
                                            const std::string& script, const std::string& args, std::string& err)
{
    const std::string file = folder + "/check.py", out = folder + "/check.out", errFile = folder + "/check.err";
    std::ofstream(file) << script;
    const int rc = std::system((python + " " + shellQuote(file) + " " + args + " >" + shellQuote(out) + " 2>" +
                                shellQuote(errFile))
                                   .c_str());
    err = readTextFile(errFile);
    if (rc != 0)
        return std::nullopt;
    return readTextFile(out);
}

// A checker's output lines by their first word: the rest of each line.
inline std::map<std::string, std::string> keyedLines(const std::string& out)
{
    std::map<std::string, std::string> m;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto gap = line.find(' ');
        m[line.substr(0, gap)] = gap == std::string::npos ? std::string() : line.substr(gap + 1);
    }
    return m;
}

} // namespace qm::test
