#include "cli/shape_f_writer.h"

#include "app/byte_order.h"
#include "app/scan_record.h"
#include "app/text_format.h"
#include "files/data_file_writer.h"

#include <cstdint>
#include <vector>

namespace qm {

namespace {

void putCard(std::string& out, const std::string& text) { out += format("%-78.78s\r\n", text.c_str()); }

// Older files wrote the date day first ("dd/mm/yyyy"); the reader turns it
// back into "yyyy/mm/dd".
std::string dayFirstDate(const std::string& dateObs)
{
    if (dateObs.size() != 10)
        return dateObs;
    return dateObs.substr(8, 2) + "/" + dateObs.substr(5, 2) + "/" + dateObs.substr(0, 4);
}

} // namespace

std::string encodeShapeFFile(const ScanRecord& r)
{
    const int n = r.nPoints;
    struct Written {
        const float* x;
        int polariz;
    };
    std::vector<Written> written;
    if (r.dataI())
        written.push_back({r.dataI(), 1});
    if (r.dataV())
        written.push_back({r.dataV(), 0});
    if (n <= 0 || written.empty())
        return {};

    std::string out;
    // Instrument part, up to the first END.
    putCard(out, format("SIMPLE  = %14c  / DATA FILE WITH CHANNEL HEADERS", 'F'));
    putCard(out, format("BITPIX  = %14d  / INTEGER WITH '(I2)' FORMAT", 16));
    putCard(out, format("N_POLAR = %14d  / NUMBER OF POLARIZATION CHANNELS", static_cast<int>(written.size())));
    putCard(out, format("NAXIS1  = %14d  / LENGTH OF DATA AXIS 1", n));
    putCard(out, format("OBJECT  = '%s'  /", r.object));
    putCard(out, format("TELESCOP= '%s'  /", r.telescop));
    putCard(out, format("ORIGIN  = '%s'  /", r.origin));
    putCard(out, "END");
    // Observation part, up to the second END.
    putCard(out, format("DATE-OBS= '%s'  /", dayFirstDate(r.dateObs).c_str()));
    putCard(out, format("TIME-OBS= '%s'  / UT", r.timeObs));
    putCard(out, format("OBS-FREQ= %14.3f  / GHz", r.frequency));
    putCard(out, format("PMCSUN  = %14.2f  / POST MERIDIUM CENTER", r.centerPoint));
    putCard(out, format("CDELT1  = %14.4f  / ARCSEC", r.step));
    putCard(out, format("RADIUS  = %14d  / OPTICAL SOLAR RADIUS (ARCSECOND)", truncToShort(r.radius)));
    putCard(out, format("AZIMUTH = %14.9f  / Azimuth of observ.", r.azimuth));
    putCard(out, format("ALTITUDE= %14.9f  / Altitude of source", r.altitude));
    putCard(out, format("ANGLE   = %14.9f  / Angle of decl.", r.angleP));
    putCard(out, format("THETA-DG= %14.2f  / DIMENSION OF DIAGRAMM (ARCSECOND)", r.beamHalfsize));
    putCard(out, format("TQSUN   = %14d  / Ta[K]", r.tqSun));
    putCard(out, format("FLUX_L  = %14.3f  / KOEF. Ta[K] -> Intensity[Jy/arc.sec.]", r.fluxCoef));
    putCard(out, format("CALIBR  = %14d  / FLAG OF CALIBRATION [ 0-NO 1-YES ]", r.calibData));
    putCard(out, format("FLAG_IV = %14d  / IF 1 => R,L; IF 0 => I,V", r.flagIvData));
    putCard(out, "END");

    for (const Written& w : written) {
        const SampleScaling s = sampleScaling(w.x, 0, n, 1);
        putCard(out, format("POLARIZ = %14d  / 1: R or I, 0: L or V", w.polariz));
        putCard(out, format("BSCALE  = %14e  /", s.scale));
        putCard(out, format("BZERO   = %14e  /", s.offset));
        putCard(out, "END");
        const std::size_t at = out.size();
        out.resize(at + 2 * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            putI16LE(reinterpret_cast<uint8_t*>(&out[at + 2 * static_cast<std::size_t>(i)]),
                     scaledSample(w.x[i], s));
        out += "\r\n";
    }
    return out;
}

} // namespace qm
