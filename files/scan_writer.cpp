#include "files/scan_writer.h"

#include "app/command_table.h"
#include "app/file_set_writer.h"
#include "app/output_folder.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/card_reader.h"
#include "files/data_file_writer.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace qm {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxListedScans = 255; // more scans go only to group FITS
constexpr std::size_t kOldHeaderLine = 67;

// Names of the data files an existing header file lists: the first word of
// each line, lines read as at most 67 bytes (a longer line is split and its
// remainder read as the next line).
std::vector<std::string> listedDataFiles(const std::string& headerPath)
{
    std::vector<std::string> names;
    ByteSource in;
    if (!in.open(headerPath))
        return names;
    std::string line;
    while (readLine(in, line, kOldHeaderLine, true) > 0) {
        std::string word = firstWord(line);
        if (!word.empty())
            names.push_back(std::move(word));
    }
    return names;
}

// The data files an old header file lists, as paths in its folder. Names
// that leave the folder (absolute, or with a ".." part) are left out: a
// save never removes anything outside the folder of its header file.
std::vector<fs::path> oldSetFiles(const std::string& headerPath)
{
    std::vector<fs::path> files;
    const fs::path dir = fs::path(headerPath).parent_path();
    for (const std::string& name : listedDataFiles(headerPath)) {
        const fs::path rel(name);
        bool escapes = rel.has_root_path();
        for (const auto& part : rel)
            escapes = escapes || part == "..";
        if (!escapes)
            files.push_back((dir / rel).lexically_normal());
    }
    return files;
}

// Removes the files of the old set that the new set did not write over.
void removeUnused(const std::vector<fs::path>& old, const std::vector<std::string>& written)
{
    for (const fs::path& file : old) {
        const bool reused = std::any_of(written.begin(), written.end(), [&](const std::string& w) {
            return fs::path(w).lexically_normal() == file;
        });
        std::error_code ec;
        if (!reused && fs::is_regular_file(file, ec))
            fs::remove(file, ec);
    }
}

// Base of the data-file names: the header file's name cut just after the
// first character following its last dot ("set.0hd" gives "set.0"); a name
// without a dot gets ".x" appended ("set" gives "set.x").
std::string dataFileBase(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return fileName + ".x";
    return fileName.substr(0, dot + 2);
}

bool handOverToFits(Workbench& wb, const std::string& path)
{
    const FitsSaveWriters& writers = fitsSaveWriters();
    if (!writers.groupFits && !writers.scanSet) {
        wb.fail("FITS writers are not available");
        return false;
    }
    const bool group =
        wb.message("Do you save old GROUP fits?", "Information", MsgButtons::YesNo, MsgIcon::Information) == kYes;
    const FitsSaveWriter& writer = group ? writers.groupFits : writers.scanSet;
    if (!writer) {
        wb.fail(group ? "The GROUP FITS writer is not available" : "The FITS scan-set writer is not available");
        return false;
    }
    return writer(wb, path);
}

// The files of one save, staged as temporaries until all of them are written.
struct StagedSave {
    FileSetWriter files;
    std::string header;              // the header file's lines (Worksheet save)
    std::vector<std::string> paths;  // every file staged
};

// Stages one data file per target; false, after saying why, as soon as one
// cannot be written.
bool stageTargets(Workbench& wb, SaveWhich which, const std::string& dir, const std::string& base,
                  int sampleFormat, int step, StagedSave& save)
{
    std::vector<ScanRecord*> list;
    if (wb.allMode) {
        for (const auto& r : wb.scans)
            list.push_back(r.get());
        wb.progressOpen("Save data", static_cast<int>(list.size()));
    } else if (wb.activeScan) {
        list.push_back(wb.activeScan);
    }

    bool ok = true;
    int number = 1;
    for (ScanRecord* r : list) {
        DataFileRequest q;
        std::string path;
        if (which == SaveWhich::Data) {
            q.end = r->nPoints;
            q.sampleFormat = r->sampleFormat;
            path = r->dataFile;
        } else {
            q.worksheet = true;
            q.begin = wb.viewBegin;
            q.end = wb.viewEnd;
            q.step = step;
            q.sampleFormat = sampleFormat;
            path = (fs::path(dir) / (base + format("%02x", number))).string();
        }
        // A scan without a data file of its own, or with nothing in the
        // written range, has no file to write.
        const std::string bytes = path.empty() ? std::string() : encodeDataFile(*r, q);
        if (!bytes.empty()) {
            if (!save.files.add(path, bytes)) {
                ok = false;
                break;
            }
            save.paths.push_back(path);
            if (which == SaveWhich::Worksheet) {
                save.header += format("%s%02x\t%.3f[GHz]\r\n", base.c_str(), number, double(r->frequency));
                ++number;
            }
            if (wb.allMode)
                wb.status(format("Saving of scan %.2f[GHz] is end", double(r->frequency)));
        }
        if (wb.allMode)
            wb.progressStep();
    }
    if (wb.allMode)
        wb.progressClose();
    if (!ok)
        reportWriteFailure(wb, save.files.error());
    return ok;
}

// Puts a staged set in place; says why when it cannot.
bool commitSave(Workbench& wb, StagedSave& save)
{
    if (save.files.commit())
        return true;
    reportWriteFailure(wb, save.files.error());
    return false;
}

} // namespace

FitsSaveWriters& fitsSaveWriters()
{
    static FitsSaveWriters writers;
    return writers;
}

bool isFitsName(const std::string& path)
{
    if (path.size() < 4)
        return false;
    return std::string(".FITS").find(upper(path.substr(path.size() - 4))) != std::string::npos;
}

bool saveScans(Workbench& wb, SaveWhich which, const std::string& batchPath)
{
    if (wb.scans.empty())
        return false;
    const bool worksheet = which == SaveWhich::Worksheet;
    if (worksheet && !wb.allMode) {
        wb.refuse("Must be option ALL");
        return false;
    }
    if (wb.message("Do You want to save data?", "Information", MsgButtons::OkCancel, MsgIcon::Information) ==
        kCancel)
        return false;
    if (which == SaveWhich::Data) {
        StagedSave save;
        if (!stageTargets(wb, which, {}, {}, 0, 1, save))
            return false;
        if (save.paths.empty()) {
            wb.fail("Nothing to save: no scan has a data file of its own");
            return false;
        }
        return commitSave(wb, save);
    }

    const bool tooMany = wb.scans.count() > kMaxListedScans;
    if (tooMany && wb.message("Save only GROUP FITS format", "Information", MsgButtons::OkCancel,
                              MsgIcon::Information) == kCancel)
        return false;

    std::string path;
    if (wb.interactiveMode) {
        FileDialogSpec spec;
        spec.title = "Save WorkSheet";
        spec.filters = {{"Header File", "*.0hd"}, {"BINARY FITS", "*.fit;*.fits"}, {"Any Files", "*.*"}};
        spec.initialDir = wb.settings.output;
        spec.mustExist = false;
        spec.confirmOverwrite = true;
        const auto chosen = wb.ui().saveFile(spec);
        if (!chosen)
            return false;
        path = *chosen;
    } else {
        path = batchPath;
    }
    const std::string fileName = fs::path(path).filename().string();
    if (fileName.empty())
        return false;

    if (isFitsName(path)) {
        return handOverToFits(wb, path);
    }
    if (tooMany)
        return false;

    const auto textSamples = wb.askInteger("ASCII or Binary (1/0)", 0);
    if (!textSamples)
        return false;
    const auto skip = wb.askInteger("Input number of skip:", 2);
    if (!skip)
        return false;
    const int step = *skip < 1 ? 1 : *skip;

    const std::string dir = fs::path(path).parent_path().string();
    const std::string folderError = prepareFolder(dir.empty() ? "." : dir);
    if (!folderError.empty()) {
        reportWriteFailure(wb, folderError);
        return false;
    }
    // The new set is staged completely before anything of the old one is
    // replaced; the old set's files the new one does not write over are
    // removed only once the new set is in place.
    const std::vector<fs::path> old = oldSetFiles(path);
    StagedSave save;
    if (!stageTargets(wb, which, dir, dataFileBase(fileName), *textSamples != 0 ? 1 : 0, step, save))
        return false;
    // A header file without data files would replace the old set by nothing.
    if (save.paths.empty()) {
        wb.fail("Nothing to save: no scan has data in the shown part");
        return false;
    }
    save.files.add(path, save.header);
    save.paths.push_back(path);
    if (!commitSave(wb, save))
        return false;
    removeUnused(old, save.paths);
    return true;
}

void registerSaveCommands(CommandTable& t)
{
    t.handle(101, [](Workbench& wb) { saveScans(wb, SaveWhich::Worksheet, wb.batchTitle); });
    t.handle(102, [](Workbench& wb) { saveScans(wb, SaveWhich::Data); });
}

} // namespace qm
