// quillmar-batch: the headless front door. Loads scan files through the same
// core as the GUI and lists or converts them.
#include "app/text_format.h"
#include "cli/headless_workbench.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: quillmar-batch --list FILE...\n"
    "       quillmar-batch --convert INPUT... OUTPUT\n"
    "\n"
    "  --list     load each file (workspace, header file or FITS file) and print,\n"
    "             for every scan, its header and the minimum, maximum and\n"
    "             mean of each of its arrays\n"
    "  --convert  load every INPUT and save the worksheets of all scans to\n"
    "             OUTPUT: a header file (e.g. set.0hd) beside one data file\n"
    "             per scan, or a binary-table FITS file when OUTPUT ends in\n"
    "             .fit or .fits, or a compressed workspace when it ends\n"
    "             in .wsf (a workspace also keeps scans of different lengths)\n"
    "  --help     show this text\n"
    "\n"
    "Exit status: 0 when every file was loaded (and written), 1 when one\n"
    "was not, 2 for a wrong command line.\n";

int usageError(const char* why)
{
    std::fprintf(stderr, "quillmar-batch: %s\n\n%s", why, kUsage);
    return 2;
}

// Paths are made absolute so that the data files named by a header file are
// found beside it whatever the working folder.
std::string absolutePath(const std::string& p)
{
    std::error_code ec;
    const auto a = std::filesystem::absolute(p, ec);
    return ec ? p : a.string();
}

void reportFailure(const qm::HeadlessWorkbench& h, const char* what, const std::string& path)
{
    std::fprintf(stderr, "cannot %s %s\n", what, path.c_str());
    for (const std::string& note : h.ui.notes)
        std::fprintf(stderr, "  %s\n", note.c_str());
}

void printStats(const char* name, const float* x, int n)
{
    if (!x || n <= 0)
        return;
    float lo = x[0], hi = x[0];
    long double sum = 0;
    for (int i = 0; i < n; ++i) {
        lo = x[i] < lo ? x[i] : lo;
        hi = x[i] > hi ? x[i] : hi;
        sum += x[i];
    }
    std::printf("%s", qm::format("%-25s: min %.4f  max %.4f  mean %.4f\n", name, lo, hi,
                                 static_cast<double>(sum / n)).c_str());
}

int listFiles(const std::vector<std::string>& files)
{
    int status = 0;
    for (const std::string& file : files) {
        qm::HeadlessWorkbench h;
        if (!h.load(absolutePath(file))) {
            reportFailure(h, "load", file);
            status = 1;
            continue;
        }
        const int n = h.wb.scans.count();
        std::printf("%s: %d scan%s\n", file.c_str(), n, n == 1 ? "" : "s");
        for (const auto& r : h.wb.scans) {
            std::printf("%s", qm::toConsoleText(qm::headerViewText(*r)).c_str());
            printStats("Data I(R)", r->dataI(), r->nPoints);
            printStats("Worksheet I(R)", r->wrkI(), r->nPoints);
            printStats("Data V(L)", r->dataV(), r->nPoints);
            printStats("Worksheet V(L)", r->wrkV(), r->nPoints);
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    return status;
}

bool isWorkspaceName(const std::string& path)
{
    return path.size() >= 4 && qm::upper(path.substr(path.size() - 4)) == ".WSF";
}

int convertFiles(const std::vector<std::string>& inputs, const std::string& output)
{
    qm::HeadlessWorkbench h;
    for (const std::string& file : inputs) {
        h.ui.clearNotes();
        if (!h.load(absolutePath(file))) {
            reportFailure(h, "load", file);
            return 1;
        }
    }
    h.ui.clearNotes();
    if (isWorkspaceName(output)) {
        if (!h.saveWorkspaceFile(absolutePath(output))) {
            reportFailure(h, "write", output);
            return 1;
        }
        std::printf("%s: %d scans written\n", output.c_str(), h.wb.scans.count());
        return 0;
    }
    for (const auto& r : h.wb.scans) {
        if (r->nPoints != h.wb.scans.head()->nPoints) {
            std::fprintf(stderr, "cannot convert: the scans differ in their number of points\n");
            return 1;
        }
    }
    h.ui.clearNotes();
    if (!h.saveWorksheets(absolutePath(output))) {
        reportFailure(h, "write", output);
        return 1;
    }
    std::printf("%s: %d scans written\n", output.c_str(), h.wb.scans.count());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("no mode given");
    const std::string mode = argv[1];
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0)
            return usageError((std::string("unknown option ") + argv[i]).c_str());
        args.emplace_back(argv[i]);
    }
    if (mode == "--help" || mode == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (mode == "--list") {
        if (args.empty())
            return usageError("--list needs at least one file");
        return listFiles(args);
    }
    if (mode == "--convert") {
        if (args.size() < 2)
            return usageError("--convert needs at least one input and an output");
        const std::string output = args.back();
        args.pop_back();
        return convertFiles(args, output);
    }
    return usageError(("unknown option " + mode).c_str());
}
