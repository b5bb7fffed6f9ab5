// quillmar-batch: the headless front door. Loads scan files through the same
// core as the GUI and lists or converts them.
#include "app/text_format.h"
#include "batch/packet_run.h"
#include "batch/script_runner.h"
#include "cli/headless_workbench.h"
#include "files/group_fits.h"
#include "files/scan_writer.h"
#include "plugins/plugin_host.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: quillmar-batch --list FILE...\n"
    "       quillmar-batch --convert [--group] INPUT... OUTPUT\n"
    "       quillmar-batch PACKET.pkf\n"
    "       quillmar-batch --script SCRIPT.spt FILE...\n"
    "\n"
    "  --list     load each file (workspace, header file or FITS file) and print,\n"
    "             for every scan, its header and the minimum, maximum and\n"
    "             mean of each of its arrays\n"
    "  --convert  load every INPUT and save the worksheets of all scans to\n"
    "             OUTPUT: a header file (e.g. set.0hd) beside one data file\n"
    "             per scan, or a binary-table FITS file when OUTPUT ends in\n"
    "             .fit or .fits, or a compressed workspace when it ends\n"
    "             in .wsf (a workspace also keeps scans of different lengths)\n"
    "  --group    with --convert: write OUTPUT (.fit or .fits) as a group FITS\n"
    "             file, one table column per frequency and channel\n"
    "  PACKET.pkf run a batch packet: load each file it names in turn, run its\n"
    "             [Commands] on it and write the log and the results to its\n"
    "             output folder (the working folder when it names none);\n"
    "             progress lines go to the error stream\n"
    "  --script   load every FILE, then run the script's [Commands] on the\n"
    "             scans (SCRIPT.spt as given, else in the script folder);\n"
    "             reports are printed, files are written to the working folder\n"
    "  --help     show this text\n"
    "\n"
    "Exit status: 0 when every file was loaded (and written), 1 when one\n"
    "was not, 2 for a wrong command line. A packet run exits with 0 when it\n"
    "went through its file list (its log tells which files loaded) and with 1\n"
    "when the packet cannot be read.\n";

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

// The reasons (refusal messages, status texts) were printed as they came.
void reportFailure(const qm::HeadlessWorkbench&, const char* what, const std::string& path)
{
    std::fprintf(stderr, "cannot %s %s\n", what, path.c_str());
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

// Group FITS of the worksheets of every scan over all their points.
bool saveGroupFile(qm::HeadlessWorkbench& h, const std::string& path)
{
    const qm::ScanRecord* head = h.wb.scans.head();
    if (!head)
        return false;
    h.wb.allMode = true;
    h.wb.groupMode = 0;
    h.wb.chkWrkI = h.wb.chkWrkV = true;
    h.wb.viewBegin = 0;
    h.wb.viewEnd = head->nPoints - 1;
    h.wb.batchArgs = {1.0f, 0.0f, 0.0f, 0.0f};
    return qm::saveGroupFits(h.wb, path);
}

int convertFiles(const std::vector<std::string>& inputs, const std::string& output, bool group)
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
    if (group ? !saveGroupFile(h, absolutePath(output)) : !h.saveWorksheets(absolutePath(output))) {
        reportFailure(h, "write", output);
        return 1;
    }
    std::printf("%s: %d scans written\n", output.c_str(), h.wb.scans.count());
    return 0;
}

// Packets and scripts of a headless run write to the working folder unless
// they name another one.
void useWorkingFolder(qm::HeadlessWorkbench& h)
{
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    h.wb.settings.output = here;
    h.wb.settings.lastDir = here;
}

// Packets and scripts may name plug-in items: the plug-ins of the program's
// Startup folder are loaded first (refusals go to stderr as status lines).
void loadPlugins(qm::HeadlessWorkbench& h) { qm::installPlugins(h.wb, qm::startupFolder(h.wb.programDir)); }

int runPacket(const std::string& packet)
{
    qm::HeadlessWorkbench h;
    useWorkingFolder(h);
    loadPlugins(h);
    const qm::PacketRun run = qm::runPacketFile(h.wb, absolutePath(packet));
    if (run.status != qm::PacketStatus::Completed) {
        std::fprintf(stderr, "quillmar-batch: %s\n", run.error.c_str());
        return 1;
    }
    std::printf("%s: %d file%s, %d loaded, %d not loaded, %d command%s\n", packet.c_str(), run.files,
                run.files == 1 ? "" : "s", run.loaded, run.notLoaded, run.commands, run.commands == 1 ? "" : "s");
    if (run.logPath.empty())
        std::printf("no log was written\n");
    else
        std::printf("log: %s\n", run.logPath.c_str());
    return 0;
}

int runScript(const std::string& script, const std::vector<std::string>& files)
{
    qm::HeadlessWorkbench h;
    useWorkingFolder(h);
    loadPlugins(h);
    int status = 0;
    for (const std::string& file : files) {
        h.ui.clearNotes();
        if (!h.load(absolutePath(file))) {
            reportFailure(h, "load", file);
            status = 1;
        }
    }
    std::error_code ec;
    const bool ran = std::filesystem::is_regular_file(script, ec) ? qm::runScriptFile(h.wb, absolutePath(script))
                                                                  : qm::runScriptByName(h.wb, script);
    if (!ran) {
        std::fprintf(stderr, "quillmar-batch: cannot find the script %s\n", script.c_str());
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("no mode given");
    const std::string mode = argv[1];
    std::vector<std::string> args;
    bool group = false;
    for (int i = 2; i < argc; ++i) {
        if (mode == "--convert" && std::strcmp(argv[i], "--group") == 0) {
            group = true;
            continue;
        }
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
        if (group && !qm::isFitsName(output))
            return usageError("--group needs an OUTPUT name ending in .fit or .fits");
        return convertFiles(args, output, group);
    }
    if (mode == "--script") {
        if (args.size() < 2)
            return usageError("--script needs a script and at least one file");
        return runScript(args.front(), std::vector<std::string>(args.begin() + 1, args.end()));
    }
    if (mode.rfind("--", 0) != 0 && args.empty())
        return runPacket(mode);
    return usageError(("unknown option " + mode).c_str());
}
