#pragma once
// Helpers of the group FITS tests: a program folder holding the template,
// and what fitsverify may say about a group FITS file.
#include "app/program_folder.h"
#include "tests/files/fits_checkers.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace qm::test {

// A program folder for a test: the shipped group FITS template beside the
// given calibration table "sh-fits.cfg".
inline void prepareProgramFolder(const std::string& folder, const std::string& calibrationTable)
{
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    fs::copy_file(fs::path(programFolder()) / "qrd_soho.dat", fs::path(folder) / "qrd_soho.dat");
    std::ofstream(fs::path(folder) / "sh-fits.cfg", std::ios::binary) << calibrationTable;
}

// The one error fitsverify reports for BUNIT, which the format keeps in its
// table header, and warnings only about the column names, which carry the
// frequency and the polarisation as "FREQUENCY f GHZ label".
inline bool onlyExpectedFindings(const VerifyResult& v)
{
    if (v.errors != 1)
        return false;
    std::istringstream lines(v.report);
    int errors = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("*** Error:", 0) == 0) {
            if (line.find("BUNIT is not allowed") == std::string::npos)
                return false;
            ++errors;
        } else if (line.rfind("*** Warning:", 0) == 0 && line.find("Name \"FREQUENCY ") == std::string::npos) {
            return false;
        }
    }
    return errors == 1;
}

} // namespace qm::test
