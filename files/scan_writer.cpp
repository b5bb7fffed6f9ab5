#include "files/scan_writer.h"

#include "app/atomic_file.h"
#include "app/command_table.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/card_reader.h"
#include "files/data_file_writer.h"

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

// Deletes the data files an old header file lists, in its folder. Names
// that leave the folder (absolute, or with a ".." part) are not touched.
void deleteListedFiles(const std::string& headerPath)
{
    const fs::path dir = fs::path(headerPath).parent_path();
    for (const std::string& name : listedDataFiles(headerPath)) {
        const fs::path rel(name);
        bool escapes = rel.has_root_path();
        for (const auto& part : rel)
            escapes = escapes || part == "..";
        if (escapes)
            continue;
        const fs::path file = dir / rel;
        std::error_code ec;
        if (fs::is_regular_file(file, ec))
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

// Writes every target and, for a Worksheet save, collects the header-file
// lines. Returns the header text.
std::string writeTargets(Workbench& wb, SaveWhich which, const std::string& dir, const std::string& base,
                         int sampleFormat, int step)
{
    std::vector<ScanRecord*> list;
    if (wb.allMode) {
        for (const auto& r : wb.scans)
            list.push_back(r.get());
        wb.progressOpen("Save data", static_cast<int>(list.size()));
    } else if (wb.activeScan) {
        list.push_back(wb.activeScan);
    }

    std::string header;
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
        // A scan without a data file writes nothing.
        const std::string bytes = path.empty() ? std::string() : encodeDataFile(*r, q);
        if (!bytes.empty() && writeFileAtomically(path, bytes)) {
            if (which == SaveWhich::Worksheet) {
                header += format("%s%02x\t%.3f[GHz]\r\n", base.c_str(), number, double(r->frequency));
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
    return header;
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
        writeTargets(wb, which, {}, {}, 0, 1);
        return true;
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
    // An empty shown part would leave a set without data files in place of
    // the old one.
    if (wb.viewEnd <= wb.viewBegin) {
        wb.fail("Nothing to save: the shown part of the scans is empty");
        return false;
    }

    // The new header file is prepared before the old set is removed, so an
    // unwritable folder leaves the old set alone.
    AtomicFile header(path);
    if (!header.ok())
        return false;
    std::error_code ec;
    if (fs::exists(path, ec))
        deleteListedFiles(path);

    const std::string dir = fs::path(path).parent_path().string();
    const std::string lines = writeTargets(wb, which, dir, dataFileBase(fileName),
                                           *textSamples != 0 ? 1 : 0, step);
    return header.write(lines) && header.commit();
}

void registerSaveCommands(CommandTable& t)
{
    t.handle(101, [](Workbench& wb) { saveScans(wb, SaveWhich::Worksheet, wb.batchTitle); });
    t.handle(102, [](Workbench& wb) { saveScans(wb, SaveWhich::Data); });
}

} // namespace qm
