#include "files/workspace_file.h"

#include "app/atomic_file.h"
#include "app/file_set_writer.h"
#include "app/program_folder.h"
#include "app/workbench.h"
#include "files/workspace_image.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

namespace qm {

namespace fs = std::filesystem;

namespace {

FileDialogSpec workspaceDialog(const std::string& title, const std::string& initialDir)
{
    FileDialogSpec spec;
    spec.title = title;
    spec.filters = {{"WorkSpace Files", "*.wsf"}, {"Any Files", "*.*"}};
    spec.initialDir = initialDir;
    return spec;
}

template <class Bytes>
bool writeAtomically(const std::string& path, const Bytes& bytes)
{
    AtomicFile f(path);
    return f.write(bytes.data(), bytes.size()) && f.commit();
}

// A name wsfXXXXXX.tmp not yet used in `dir`. The file itself only appears
// when the complete backup is renamed into place, so a crash never leaves
// an empty backup behind for the next start-up to pick.
std::string newBackupName(const std::string& dir)
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 gen(seed());
    std::uniform_int_distribution<int> pick(0, int(sizeof kChars) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "wsf";
        for (int i = 0; i < 6; ++i)
            name += kChars[pick(gen)];
        const fs::path p = fs::path(dir) / (name + ".tmp");
        std::error_code ec;
        if (!fs::exists(p, ec) && !ec)
            return p.string();
    }
    return {};
}

bool isBackupName(const std::string& name)
{
    return name.size() >= 7 && name.compare(0, 3, "wsf") == 0 && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// Backups left in the folder, newest first.
std::vector<fs::path> backupCandidates(const std::string& dir)
{
    std::vector<std::pair<fs::file_time_type, fs::path>> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (!it->is_regular_file(e2) || !isBackupName(it->path().filename().string()))
            continue;
        const auto t = it->last_write_time(e2);
        if (!e2)
            found.emplace_back(t, it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<fs::path> out;
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

// The decoded workspace in `bytes` (either file form); nullopt when it is
// damaged, truncated or empty.
std::optional<WorkspaceImage> decodeWorkspaceBytes(BulkBytes& bytes)
{
    WorkspaceImage img;
    if (!unpackWorkspace(bytes) || !decodeWorkspace(std::move(bytes), img) || img.scans.empty())
        return std::nullopt;
    return img;
}

std::optional<WorkspaceImage> readWorkspaceFile(const std::string& path)
{
    // Look at the magic before reading the whole file: the batch loader
    // offers every input file here first, however large.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    uint8_t magic[kWorkspaceMagicBytes];
    const bool workspace = std::fread(magic, 1, sizeof magic, f) == sizeof magic &&
                           hasWorkspaceMagic(magic, sizeof magic);
    std::fclose(f);
    BulkBytes bytes;
    if (!workspace || !readWholeFile(path, bytes))
        return std::nullopt;
    return decodeWorkspaceBytes(bytes);
}

// The file of command 185 or 186: the given path, else the dialog's choice
// interactively, else the batch title. Empty when there is none.
std::string commandFile(Workbench& wb, const std::optional<std::string>& path, bool save)
{
    if (path)
        return *path;
    if (!wb.interactiveMode)
        return wb.batchTitle;
    std::optional<std::string> chosen;
    if (save) {
        FileDialogSpec spec = workspaceDialog("Save WorkSpace", wb.settings.output);
        spec.mustExist = false;
        spec.confirmOverwrite = true;
        chosen = wb.ui().saveFile(spec);
    } else {
        chosen = wb.ui().openFile(workspaceDialog("Load WorkSpace", wb.settings.lastDir));
    }
    return chosen.value_or(std::string());
}

bool autosave(Workbench& wb)
{
    BulkBytes image;
    if (!encodeWorkspace(wb, image))
        return false;
    const std::string target = newBackupFile(wb);
    if (target.empty() || !writeAtomically(target, image))
        return false;
    adoptBackup(wb, target);
    return true;
}

// Applies a decoded image: the records join the set, the state words, titles
// and group are restored, and the set is refreshed as after any load while
// keeping the active scan, the shown range and the array selection stored.
void applyWorkspace(Workbench& wb, WorkspaceImage img)
{
    std::vector<ScanRecord*> entries;
    for (const auto& r : img.scans)
        entries.push_back(r.get());
    // The entries form one chain in list order, so scans with equal sort
    // keys keep the order they were saved in.
    wb.scans.appendTail(std::move(img.scans));

    auto flag = [&](std::size_t offset) { return img.word(offset) != 0; };
    ViewFlags& v = wb.view;
    v.mainTitle = img.mainTitle;
    v.rightAxisTitle = img.rightAxisTitle;
    v.leftAxisTitle = img.leftAxisTitle;
    v.confirmAll = flag(wsstate::confirmAll);
    v.gaussChoice = 0; // picking on the plot never outlives the session that began it
    v.digFrame = flag(wsstate::digFrame);
    v.sunCenter = flag(wsstate::sunCenter);
    v.viewScale = flag(wsstate::viewScale);
    v.colour = flag(wsstate::colour);
    v.titleParts = img.word(wsstate::titleParts);
    v.groupList = flag(wsstate::groupList);
    v.listOutside = flag(wsstate::listOutside);
    v.residual = flag(wsstate::residual);
    wb.groupScans.clear();
    for (int pos : img.groupPositions)
        wb.groupScans.push_back(entries[std::size_t(pos)]);

    ScanRecord* active = img.activePos >= 0 ? entries[std::size_t(img.activePos)] : nullptr;
    auto restoreSelection = [&] {
        wb.chkDataI = flag(wsstate::chkDataI);
        wb.chkDataV = flag(wsstate::chkDataV);
        wb.chkWrkI = flag(wsstate::chkWrkI);
        wb.chkWrkV = flag(wsstate::chkWrkV);
        wb.viewBegin = img.word(wsstate::viewBegin);
        wb.viewEnd = img.word(wsstate::viewEnd);
        wb.activeScan = active;
        wb.syncActive(); // keeps the range inside the scan and drops flags of absent arrays
    };
    wb.afterLoad({});
    restoreSelection();
    wb.setGroupView(img.word(wsstate::groupMode));
    restoreSelection();

    v.equalScale = flag(wsstate::equalScale);
    wb.setChecked(152, v.equalScale);
    v.fullScanWindow = flag(wsstate::fullScanWindow);
    wb.setChecked(169, v.fullScanWindow);
    v.localGraph = flag(wsstate::localGraph) && !wb.mixedSet; // unavailable for a mixed set
    wb.setChecked(177, v.localGraph);
    wb.redraw();
    wb.ui().stateChanged();
}

int recoverBackup(Workbench& wb)
{
    for (const fs::path& p : backupCandidates(backupFolder(wb))) {
        auto img = readWorkspaceFile(p.string());
        if (img && wb.scans.count() <= kMaxScans) {
            applyWorkspace(wb, std::move(*img));
            wb.markUnsaved(); // work rescued from a run that ended badly is in no file of the user's
            wb.tempWorkspace = p.string();
            return 1;
        }
    }
    return 0;
}

} // namespace

std::string backupFolder(const Workbench& wb)
{
    return (fs::path(writableProgramFolder(wb.programDir)) / "BACKUP").string();
}

std::string newBackupFile(const Workbench& wb)
{
    const std::string dir = backupFolder(wb);
    std::error_code ec;
    fs::create_directories(dir, ec);
    return newBackupName(dir);
}

void adoptBackup(Workbench& wb, const std::string& path)
{
    std::error_code ec;
    if (!wb.tempWorkspace.empty() && wb.tempWorkspace != path)
        fs::remove(wb.tempWorkspace, ec);
    wb.tempWorkspace = path;
}

bool saveWorkspace(Workbench& wb, int kind, const std::optional<std::string>& path)
{
    if (!wb.setLoaded)
        return false;
    if (kind == 0)
        return autosave(wb);
    const std::string target = commandFile(wb, path, true);
    if (target.empty())
        return false;
    const std::string targetError = writeTargetError(target);
    if (!targetError.empty()) {
        reportWriteFailure(wb, targetError);
        return false;
    }
    // Both buffers are bulk memory, which is not cleared before it is
    // written and is kept for the next save.
    BulkBytes image;
    // When compression fails packWorkspace hands back the image itself, so
    // the target still receives a readable workspace.
    if (encodeWorkspace(wb, image) && writeAtomically(target, packWorkspace(image))) {
        wb.markSaved();
        return true;
    }
    reportWriteFailure(wb, cannotWriteText(target));
    return false;
}

int loadWorkspace(Workbench& wb, int kind, const std::optional<std::string>& path)
{
    // Interactively the loaded set is replaced, never added to: the user
    // chooses the file first, then agrees to drop the set, and the set goes
    // only once the new workspace has been read in full.
    const bool replacing = wb.interactiveMode && wb.setLoaded;
    if (kind == 0) {
        if (replacing) {
            if (!wb.confirmDiscard(false))
                return 0;
            wb.closeSet(false);
        }
        return recoverBackup(wb);
    }
    const std::string file = commandFile(wb, path, false);
    if (file.empty())
        return 0;
    if (replacing && !wb.confirmDiscard(false))
        return 0;
    const std::string dir = fs::path(file).parent_path().string();
    if (!dir.empty()) {
        wb.settings.lastDir = dir;
        writeSetting(wb.store(), wb.settings, SettingId::LastDir);
    }
    auto img = readWorkspaceFile(file);
    if (img && replacing)
        wb.closeSet(false);
    if (!img || wb.scans.count() > kMaxScans) {
        if (!path && wb.interactiveMode) // the user chose it: say why nothing happened
            wb.refuse(kBadWorkspaceText + file, "", MsgIcon::Error);
        return 0;
    }
    applyWorkspace(wb, std::move(*img));
    wb.nameSet(file);
    return 1;
}

bool restoreWorkspace(Workbench& wb, std::vector<uint8_t> bytes)
{
    // A truncated or damaged workspace adds nothing: records cut short
    // cannot be trusted, and positions of the active scan and the group refer
    // to the whole set, so a partial set would be restored inconsistently.
    if (wb.scans.count() > kMaxScans)
        return false;
    BulkBytes copy(bytes.begin(), bytes.end());
    auto img = decodeWorkspaceBytes(copy);
    if (!img)
        return false;
    applyWorkspace(wb, std::move(*img));
    return true;
}

int recoverAutosave(Workbench& wb) { return loadWorkspace(wb, 0); }

void registerWorkspaceCommands(CommandTable& t)
{
    t.handle(185, [](Workbench& wb) { saveWorkspace(wb, 1); });
    t.handle(186, [](Workbench& wb) {
        // Interactively a cancelled dialog also loads nothing; that is no failure.
        if (!loadWorkspace(wb, 1) && !wb.interactiveMode)
            wb.fail(kBadWorkspaceText + wb.batchTitle);
    });
}

} // namespace qm
