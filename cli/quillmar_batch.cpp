// quillmar-batch: the headless front door. Loads scan files through the same
// core as the GUI, lists or converts them, and runs packets and scripts.
#include "app/text_format.h"
#include "batch/packet_run.h"
#include "batch/script_runner.h"
#include "cli/beam_option.h"
#include "cli/export_option.h"
#include "cli/headless_workbench.h"
#include "cli/packet_jobs.h"
#include "cli/packet_options.h"
#include "files/group_fits.h"
#include "files/scan_writer.h"
#include "plugins/plugin_host.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: quillmar-batch [--quiet|--verbose] --list FILE...\n"
    "       quillmar-batch [--quiet|--verbose] --convert [--group] INPUT... OUTPUT\n"
    "       quillmar-batch [--quiet|--verbose] [--jobs N | --shard I/N] PACKET.pkf\n"
    "       quillmar-batch [--quiet|--verbose] --merge-shards PACKET.pkf\n"
    "       quillmar-batch [--quiet|--verbose] --script SCRIPT.spt FILE...\n"
    "       quillmar-batch --export OUT [--size WxH] [--pen N] [--group 1|2|3]\n"
    "                      [--view LIST] FILE...\n"
    "       quillmar-batch --help | --version\n"
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
    "             output folder (the working folder when it names none)\n"
    "  --jobs N   with a packet: run its files in N worker processes (0: one\n"
    "             per core); the log, reports and counters are those of a\n"
    "             serial run\n"
    "  --shard I/N  with a packet: run only files I, I+N, I+2N, ... of its list,\n"
    "             writing LOG.shardI and REPORT.shardI in its output folder\n"
    "  --merge-shards  join the shard files of the N shards of a packet into\n"
    "             the log and reports a serial run writes\n"
    "  --script   load every FILE, then run the script's [Commands] on the\n"
    "             scans (SCRIPT.spt as given, else in the script folder);\n"
    "             reports are printed, files are written to the working folder\n"
    "  --export   load every FILE and write the plot as a page of WxH (500x400)\n"
    "             with pens N (0..5, 1) thick; the type follows OUT's extension:\n"
    "             .ps .wmf .emf .pdf .svg .png. --group shows the first scans as\n"
    "             array (1), overlaid (2) or stacked (3); LIST names view options:\n"
    "             sun-disk,sun-center,dig-frame,equal-scale,worksheets\n"
    "  --quiet    print errors only\n"
    "  --verbose  also print the status texts of every scan and the questions\n"
    "             a batch run answers by itself\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Reports and listings go to the standard output. The error stream gets\n"
    "errors (a file that did not load, a command that failed, with its reason),\n"
    "the refusals of the operations and, for packets, one progress line per\n"
    "file (a progress bar on a terminal).\n"
    "\n"
    "Exit status: 0 when everything was done, 1 when something failed (a file\n"
    "that did not load or could not be written, a packet that cannot be read,\n"
    "a command of a packet or script that failed), 2 for a wrong command line.\n";

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

// The verbosity chosen on the command line; the packet progress is drawn
// as a bar when the error stream is a terminal.
qm::Verbosity verbosity = qm::Verbosity::Normal;

void configure(qm::HeadlessWorkbench& h)
{
    h.ui.verbosity = verbosity;
    h.ui.progressBar = isatty(fileno(stderr)) != 0;
}

// The reasons were reported as they came; this names the file.
void reportFailure(qm::HeadlessWorkbench& h, const char* what, const std::string& path)
{
    h.ui.reportError(std::string("cannot ") + what + " " + path);
}

// Exit status of a run whose own checks gave `status`: any error reported
// on the way also counts as a failure.
int exitStatus(const qm::HeadlessWorkbench& h, int status) { return status != 0 || h.ui.errors() > 0 ? 1 : 0; }

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
        configure(h);
        const bool loaded = h.load(absolutePath(file));
        status = exitStatus(h, status);
        if (!loaded) {
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
    configure(h);
    for (const std::string& file : inputs) {
        if (!h.load(absolutePath(file))) {
            reportFailure(h, "load", file);
            return 1;
        }
    }
    bool written = false;
    if (isWorkspaceName(output)) {
        written = h.saveWorkspaceFile(absolutePath(output));
    } else {
        for (const auto& r : h.wb.scans) {
            if (r->nPoints != h.wb.scans.head()->nPoints) {
                h.ui.reportError("cannot convert: the scans differ in their number of points");
                return 1;
            }
        }
        written = group ? saveGroupFile(h, absolutePath(output)) : h.saveWorksheets(absolutePath(output));
    }
    h.reportFailures();
    if (!written) {
        reportFailure(h, "write", output);
        return 1;
    }
    if (verbosity != qm::Verbosity::Quiet)
        std::printf("%s: %d scans written\n", output.c_str(), h.wb.scans.count());
    return exitStatus(h, 0);
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

// A workbench as a packet run starts with.
std::unique_ptr<qm::HeadlessWorkbench> packetWorkbench()
{
    auto h = std::make_unique<qm::HeadlessWorkbench>();
    configure(*h);
    useWorkingFolder(*h);
    loadPlugins(*h);
    return h;
}

int runPacket(const std::string& packet, const qm::PacketOptions& options)
{
    const auto owner = packetWorkbench();
    qm::HeadlessWorkbench& h = *owner;
    const std::string path = absolutePath(packet);
    const qm::PacketRun run = options.mergeShards ? qm::mergePacketShards(h, path)
                              : options.shard     ? qm::runPacketShard(h, path, *options.shard)
                              : options.jobs > 1  ? qm::runPacketJobs(h, path, options.jobs, packetWorkbench)
                                                  : qm::runPacketFile(h.wb, path);
    if (run.status != qm::PacketStatus::Completed) {
        h.ui.reportError("quillmar-batch: " + run.error);
        return 1;
    }
    if (verbosity != qm::Verbosity::Quiet) {
        std::printf("%s: %d file%s, %d loaded, %d not loaded, %d command%s, %d failed\n", packet.c_str(),
                    run.files, run.files == 1 ? "" : "s", run.loaded, run.notLoaded, run.commands,
                    run.commands == 1 ? "" : "s", run.failedCommands);
        if (!run.logPath.empty())
            std::printf("log: %s\n", run.logPath.c_str());
    }
    if (run.logPath.empty())
        h.ui.reportError("no log was written");
    return exitStatus(h, run.notLoaded + run.failedCommands);
}

int runScript(const std::string& script, const std::vector<std::string>& files)
{
    qm::HeadlessWorkbench h;
    configure(h);
    useWorkingFolder(h);
    loadPlugins(h);
    int status = 0;
    for (const std::string& file : files) {
        if (!h.load(absolutePath(file))) {
            reportFailure(h, "load", file);
            status = 1;
        }
    }
    std::error_code ec;
    const std::optional<int> failed = std::filesystem::is_regular_file(script, ec)
                                          ? qm::runScriptFile(h.wb, absolutePath(script))
                                          : qm::runScriptByName(h.wb, script);
    if (!failed) {
        h.ui.reportError("quillmar-batch: cannot find the script " + script);
        return 1;
    }
    return exitStatus(h, status + *failed);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string w = argv[i];
        if (w == "--quiet" || w == "-q")
            verbosity = qm::Verbosity::Quiet;
        else if (w == "--verbose" || w == "-v")
            verbosity = qm::Verbosity::Verbose;
        else
            words.push_back(w);
    }
    qm::PacketOptions packetOptions;
    if (const std::string why = qm::takePacketOptions(words, packetOptions); !why.empty())
        return usageError(why.c_str());
    if (words.empty())
        return usageError("no mode given");
    const std::string mode = words.front();
    if (packetOptions.any() && (mode.rfind("--", 0) == 0 || words.size() != 1))
        return usageError("--jobs, --shard and --merge-shards need exactly one packet");
    if (mode == "--beam") {
        std::vector<char*> rest;
        for (std::size_t i = 1; i < words.size(); ++i)
            rest.push_back(words[i].data());
        return qm::runBeamOption(static_cast<int>(rest.size()), rest.data());
    }
    if (mode == "--export")
        return qm::runExportOption(words);
    std::vector<std::string> args;
    bool group = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (mode == "--convert" && words[i] == "--group") {
            group = true;
            continue;
        }
        if (words[i].rfind("--", 0) == 0)
            return usageError(("unknown option " + words[i]).c_str());
        args.push_back(words[i]);
    }
    if (mode == "--help" || mode == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (mode == "--version") {
        std::printf("quillmar-batch %s\n", QUILLMAR_VERSION);
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
        return runPacket(mode, packetOptions);
    return usageError(("unknown option " + mode).c_str());
}
