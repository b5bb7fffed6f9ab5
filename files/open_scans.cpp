#include "files/open_scans.h"

#include "app/command_table.h"
#include "app/parallel_for.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/card_reader.h"
#include "files/data_file_reader.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace qm {

namespace {

// A list load stops when the set would reach this many scans.
constexpr int kListLoadStop = 256;

std::array<FitsRouteReader, 2>& fitsStages()
{
    static std::array<FitsRouteReader, 2> stages;
    return stages;
}

// The list route: one data file per line, named by the line's first word
// relative to the header file's folder. The new scans are kept aside and
// join the set only when the whole list has been read.
//
// The files are read side by side on the processor's cores, in rounds of
// as many entries as the set still has room for, so no file after the stop
// is read, and the list itself is taken a round at a time. Each round's
// scans and messages are taken in list order: the outcome is that of
// reading the files one after another. Each new scan is fingerprinted as
// soon as it is read, while its arrays are in the cache.
ScanChain readHeaderFile(Workbench& wb, const std::string& path, FreshFingerprints& fresh)
{
    ScanChain added;
    ByteSource in;
    if (!in.open(path))
        return added;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    struct Entry {
        std::string file;
        std::unique_ptr<ScanRecord> record;
        uint64_t fingerprint = 0;
        LoadErrors errors;
    };
    std::string line;
    for (;;) {
        // The entry that would make the set reach the limit is not read and
        // the load stops; a set already past it takes the whole list.
        const long room = long(kListLoadStop) - 1 - wb.scans.count() - long(added.size());
        if (room == 0)
            break;
        std::vector<Entry> entries;
        while (entries.size() < std::size_t(room > 0 ? room : kListLoadStop) &&
               readLine(in, line, kListLineLimit, true) != 0) {
            std::string name = firstWord(line);
            std::replace(name.begin(), name.end(), '\\', '/');
            if (!name.empty())
                entries.push_back({(folder / name).string(), nullptr, 0, {}});
        }
        if (entries.empty())
            break;
        parallelFor(entries.size(), [&](std::size_t k) {
            auto record = std::make_unique<ScanRecord>();
            if (readDataFile(entries[k].errors, entries[k].file, *record)) {
                entries[k].fingerprint = scanFingerprint(*record);
                entries[k].record = std::move(record);
            }
        });
        for (Entry& e : entries) {
            showLoadErrors(wb, e.errors);
            if (e.record) {
                fresh.emplace(e.record.get(), e.fingerprint);
                added.push_back(std::move(e.record));
            }
        }
    }
    return added;
}

// Puts the new scans into the set (FITS route at the tail, list route at
// the head) and runs the steps after a load. When memory runs out on the
// way the new scans are taken out again, so the set keeps the scans it had.
void adoptScans(Workbench& wb, ScanChain added, bool atTail, const std::string& path,
                const FreshFingerprints& fresh)
{
    std::vector<const ScanRecord*> adopted;
    // Appending to a set with unsaved work leaves that work unsaved.
    const bool unsaved = !wb.scans.empty() && wb.unsavedChanges();
    const bool done = wb.guardMemory([&] {
        for (const auto& r : added)
            adopted.push_back(r.get());
        if (atTail) {
            wb.scans.appendTail(std::move(added));
        } else {
            for (auto& r : added)
                wb.scans.pushHead(std::move(r));
        }
        wb.afterLoad(path, fresh);
    });
    if (unsaved)
        wb.markUnsaved();
    if (done)
        return;
    for (const ScanRecord* r : adopted)
        wb.scans.remove(r); // those that never joined the set are not found
    if (wb.scans.empty())
        wb.closeSet(false);
    else
        wb.syncActive();
}

// The open dialog of "Open" and "Append...".
std::optional<std::string> askScanFile(Workbench& wb)
{
    if (!wb.interactiveMode)
        return std::nullopt;
    FileDialogSpec spec;
    spec.title = "Open";
    spec.filters = {{"Quillmar files", "*.?hd;*.fits"},
                    {"Header Files", "*.?hd"},
                    {"BINARY FITS", "*.fit;*.fits"},
                    {"Any Files", "*.*"}};
    spec.initialDir = wb.settings.lastDir;
    spec.mustExist = true;
    auto chosen = wb.ui().openFile(spec);
    if (!chosen || chosen->empty())
        return std::nullopt;
    return chosen;
}

} // namespace

void setFitsRouteReader(FitsRouteStage stage, FitsRouteReader reader)
{
    fitsStages()[static_cast<std::size_t>(stage)] = std::move(reader);
}

ScanChain readFitsRoute(Workbench& wb, const std::string& path)
{
    for (const auto& reader : fitsStages())
        if (reader)
            if (auto scans = reader(wb, path))
                return std::move(*scans);
    ScanChain scans;
    auto record = std::make_unique<ScanRecord>();
    if (readDataFile(wb, path, *record))
        scans.push_back(std::move(record));
    return scans;
}

int openScans(Workbench& wb, const std::optional<std::string>& given)
{
    if (wb.scans.count() > kMaxScans || wb.groupMode != 0)
        return 0;
    const std::optional<std::string> path = given ? given : askScanFile(wb);
    if (!path)
        return 0;
    const std::string folder = std::filesystem::path(*path).parent_path().string();
    if (!folder.empty())
        wb.settings.lastDir = folder;

    std::string first;
    {
        ByteSource in;
        if (!in.open(*path)) {
            wb.refuse(format("File %s cannot be opened", path->c_str()), "", MsgIcon::Error);
            return 0;
        }
        readLine(in, first, kListLineLimit, true);
    }
    const bool fitsRoute = firstWord(first) == "SIMPLE";
    ScanChain added;
    FreshFingerprints fresh;
    // The readers build the new scans aside, so running out of memory there
    // leaves the set untouched.
    if (!wb.guardMemory([&] { added = fitsRoute ? readFitsRoute(wb, *path) : readHeaderFile(wb, *path, fresh); }))
        return 1;

    if (added.empty()) {
        wb.refuse(fitsRoute ? "Data file is BAD" : "Header File is BAD", "", MsgIcon::Error);
    } else {
        adoptScans(wb, std::move(added), fitsRoute, *path, fresh);
    }

    if (wb.interactiveMode && !wb.settings.autoScript.empty() && wb.autoScriptHook)
        wb.autoScriptHook(wb);
    wb.redraw();
    return 1;
}

void registerLoadCommands(CommandTable& t)
{
    t.handle(100, [](Workbench& wb) { openScans(wb); });
    t.handle(172, [](Workbench& wb) { openScans(wb); });
}

} // namespace qm
