#include "files/talvo_export.h"

#include "app/byte_order.h"
#include "app/command_table.h"
#include "app/file_set_writer.h"
#include "app/output_folder.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qm {

namespace {

constexpr std::size_t kHeaderBytes = 20;

// Heading of the parameter table in code page 866, as TALVO reads it.
constexpr const char* kTableHeading[] = {
    // "Таблица  параметров по каналам  PAS (is used TALVO)\r\n"
    "\x92\xa0\xa1\xab\xa8\xe6\xa0  \xaf\xa0\xe0\xa0\xac\xa5\xe2\xe0\xae\xa2 \xaf\xae "
    "\xaa\xa0\xad\xa0\xab\xa0\xac  PAS (is used TALVO)\r\n",
    // "     (не вставлять и не перемещать строки)\r\n"
    "     (\xad\xa5 \xa2\xe1\xe2\xa0\xa2\xab\xef\xe2\xec \xa8 \xad\xa5 "
    "\xaf\xa5\xe0\xa5\xac\xa5\xe9\xa0\xe2\xec \xe1\xe2\xe0\xae\xaa\xa8)\r\n",
    // " Номер    Имя   \t Wl \tFlux\tQuiet  Beam width\r\n"
    " \x8d\xae\xac\xa5\xe0    \x88\xac\xef   \t Wl \tFlux\tQuiet  Beam width\r\n",
    // "канала                                   Sun\r\n"
    "\xaa\xa0\xad\xa0\xab\xa0                                   Sun\r\n",
};

std::string joinPath(const std::string& dir, const std::string& name)
{
    return (std::filesystem::path(dir) / name).string();
}

} // namespace

std::pair<short, short> talvoStepFraction(float step)
{
    if (step > 1)
        return {32000, truncToShort(32000.0 / step)};
    if (step > 0)
        return {truncToShort(32000.0 * step), 32000};
    return {1, 1};
}

std::string encodeTalvoChannel(const ScanRecord& r, const float* w)
{
    const int n = r.nPoints > 0 ? r.nPoints : 0;
    double maxAbs = 0;
    for (int i = 0; i < n; ++i)
        maxAbs = std::fmax(maxAbs, std::fabs(double(w[i])));
    const double k = std::trunc(maxAbs / 30000) + 1;
    const auto [num, den] = talvoStepFraction(r.step);

    std::string out(kHeaderBytes + 2 * static_cast<std::size_t>(n), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    putI16LE(p + 0, r.nPoints);
    putI16LE(p + 2, truncToShort(k));
    putI16LE(p + 4, num);
    putI16LE(p + 6, den);
    putI16LE(p + 8, truncToShort(r.centerPoint));
    putI16LE(p + 10, truncToShort(r.radius));
    // Bytes 12..19 are reserved and stay zero.
    for (int i = 0; i < n; ++i)
        putI16LE(p + kHeaderBytes + 2 * i, truncToShort(w[n - 1 - i] / k));
    return out;
}

void exportTalvo(Workbench& wb)
{
    if (!wb.chkWrkI || !wb.chkWrkV) {
        wb.refuse("WORKSHEETs are not checked");
        return;
    }
    if (!wb.activeScan)
        return;
    // The names come from the active scan's date; without one there is no
    // name to give the files.
    const std::string date(wb.activeScan->dateObs, strnlen(wb.activeScan->dateObs, sizeof wb.activeScan->dateObs));
    int year = 0, month = 0, day = 0;
    char sep1 = 0, sep2 = 0;
    if (std::sscanf(date.c_str(), "%d%c%d%c%d", &year, &sep1, &month, &sep2, &day) != 5) {
        wb.fail("Date of observation is not readable");
        return;
    }
    const auto out = outputFolder(wb);
    if (!out)
        return;
    const std::string base = format("p%02d%x%02d", day, month, year - 1900);

    // The channel files and the table are written as one set: all of them,
    // or none when one cannot be written.
    FileSetWriter files;
    std::string table;
    for (const char* line : kTableHeading)
        table += line;
    int c = 0;
    for (const auto& scan : wb.scans) {
        const ScanRecord& r = *scan;
        if (!r.wrkI() || !r.wrkV())
            continue;
        ++c;
        const double wave = 30 / double(r.frequency);
        table += format(" %02d\t%.2fcm\t\t%.2f\t%.3f\t%d\t%.2f\r\n", c, wave, wave, double(r.fluxCoef), r.tqSun,
                        double(r.beamHalfsize));
        files.add(joinPath(*out, format("%s%02d", base.c_str(), c)), encodeTalvoChannel(r, r.wrkI()));
        ++c;
        files.add(joinPath(*out, format("%s%02d", base.c_str(), c)), encodeTalvoChannel(r, r.wrkV()));
        if (!files.error().empty())
            break;
        wb.status(format("Transform of scan %.2f[GHz] to TALVO is end", double(r.frequency)));
    }
    files.add(joinPath(*out, format("%x%02d_%x%02d.p%2d", month, day, month, day, year - 1900)), table);
    if (!files.commit()) {
        reportWriteFailure(wb, files.error());
        return;
    }
    // The channel files and the table: where the user finds them.
    wb.status(format("TALVO: %d files written to %s", c + 1, out->c_str()));
}

void registerTalvoCommands(CommandTable& t)
{
    t.handle(133, exportTalvo);
}

} // namespace qm
