#include "files/data_file_writer.h"

#include "app/byte_order.h"
#include "app/scan_record.h"
#include "app/text_format.h"

#include <algorithm>
#include <vector>

namespace qm {

namespace {

constexpr std::size_t kCardBytes = 80;
constexpr std::size_t kCardsPerBlock = 36;
constexpr std::size_t kBlockBytes = 2880;

// A header card: the text left-justified in 78 characters, then CR LF. Text
// longer than 78 characters is cut so that every card stays 80 bytes and
// the reader finds the samples on the block boundary.
void putCard(std::string& out, const std::string& text)
{
    out += format("%-78.78s\r\n", text.c_str());
}

} // namespace

SampleScaling sampleScaling(const float* x, int begin, int end, int step)
{
    double max = -1e15, min = 1e15;
    for (int i = begin; i < end; i += step) {
        if (x[i] > max)
            max = x[i];
        if (x[i] < min)
            min = x[i];
    }
    SampleScaling s;
    s.offset = (max + min) / 2;
    s.scale = (max - s.offset) / 30000;
    if (s.scale == 0)
        s.scale = 1;
    return s;
}

short scaledSample(float value, const SampleScaling& s)
{
    return truncToShort((value - s.offset) / s.scale);
}

int writtenPoints(int begin, int end, int step)
{
    if (step < 1 || end <= begin)
        return 0;
    return static_cast<int>((static_cast<long long>(end) - begin + step - 1) / step);
}

std::string encodeDataFile(const ScanRecord& r, const DataFileRequest& q)
{
    const int s = std::max(q.step, 1);
    const int b = std::max(q.begin, 0);
    const int e = std::min<int>(q.end, r.nPoints);
    const int n = writtenPoints(b, e, s);
    const float* chan1 = q.worksheet ? r.wrkI() : r.dataI();
    const float* chan2 = q.worksheet ? r.wrkV() : r.dataV();
    std::vector<const float*> written;
    if (chan1)
        written.push_back(chan1);
    if (chan2)
        written.push_back(chan2);
    if (n <= 0 || written.empty())
        return {};

    const bool text = q.sampleFormat != 0;
    const bool both = written.size() == 2;
    std::vector<SampleScaling> scaling;
    for (const float* x : written)
        scaling.push_back(sampleScaling(x, b, e, s));
    const bool inFlux = q.worksheet ? r.fluxWrk != 0 : r.fluxData != 0;

    std::string out;
    putCard(out, format("SIMPLE  = %14c  / FILE DOES CONFORM TO FITS STANDARD", 'T'));
    putCard(out, format("BITPIX  = %14d  / INTEGER WITH '(I%d)' FORMAT", text ? 64 : 16, text ? 8 : 2));
    putCard(out, format("NAXIS   = %14d  / NUMBER OF DATA AXES", both ? 2 : 1));
    putCard(out, format("NAXIS1  = %14d  / LENGTH OF DATA AXIS 1", n));
    if (both)
        putCard(out, format("NAXIS2  = %14d  / LENGTH OF DATA AXIS 2", 2));
    putCard(out, format("PMCSUN  = %14.2f  / POST MERIDIUM CENTER", (double(r.centerPoint) - b) / s));
    putCard(out, format("DATE-OBS= '%s'  /", r.dateObs));
    putCard(out, format("TIME-OBS= '%s'  / UT", r.timeObs));
    putCard(out, format("OBJECT  = '%s'  /", r.object));
    putCard(out, format("TELESCOP= '%s'  /", r.telescop));
    putCard(out, format("ORIGIN  = '%s'  /", r.origin));
    putCard(out, format("HISTORY = '%s'  /", "Quillmar 2.5"));
    putCard(out, format("RADIUS  = %14d  / OPTICAL SOLAR RADIUS (ARCSECOND)", truncToShort(r.radius)));
    putCard(out, format("AZIMUTH = %14.9f  / Azimuth of observ.", double(r.azimuth)));
    putCard(out, format("ALTITUDE= %14.9f  / Altitude of source", double(r.altitude)));
    putCard(out, format("ANGLE   = %14.9f  / Angle of decl.", double(r.angleP)));
    putCard(out, format("CDELT1  = %14.4f  / ARCSEC", double(s) * r.step));
    putCard(out, format("POLARSET= %14d  / SET1: IF 1 (R or R+L), IF 0 (L or R-L)", chan1 ? 1 : 0));
    putCard(out, format("CALIBR  = %14d  / FLAG OF CALIBRATION [ 0-NO 1-YES ]",
                        q.worksheet ? r.calibWrk : r.calibData));
    putCard(out, format("FLAG_IV = %14d  / IF 1 => R,L; IF 0 => I,V", q.worksheet ? r.flagIvWrk : r.flagIvData));
    putCard(out, "COMMENT  TQSUN - TEMPERATURE OF A SURFACE OF THE QUIET SUN AGREED WITH THE");
    putCard(out, "COMMENT   FORM OF THE DIAGRAM OF A ANTENNA AND KOEF. OF TRANSITION TO FLUX");
    putCard(out, format("OBS-FREQ= %14.3f  / GHz", double(r.frequency)));
    putCard(out, format("THETA-DG= %14.2f  / DIMENSION OF DIAGRAMM (ARCSECOND)", double(r.beamHalfsize)));
    putCard(out, format("TQSUN   = %14d  / Ta[K]", r.tqSun));
    putCard(out, format("FLUX_L  = %14.3f  / KOEF. Ta[K] -> Intensity[Jy/arc.sec.]",
                        inFlux ? 1.0 : double(r.fluxCoef)));
    putCard(out, format("BSCALE1 = %14e  /", scaling[0].scale));
    putCard(out, format("BZERO1  = %14e  /", scaling[0].offset));
    if (both) {
        putCard(out, format("BSCALE2 = %14e  /", scaling[1].scale));
        putCard(out, format("BZERO2  = %14e  /", scaling[1].offset));
    }
    out += format("%-80s", "END");
    while (out.size() % (kCardBytes * kCardsPerBlock) != 0)
        out += format("%80s", " ");

    const std::size_t sampleStart = out.size();
    long field = 0; // text fields counted across both channels
    for (std::size_t c = 0; c < written.size(); ++c) {
        for (int i = b; i < e; i += s) {
            const short v = scaledSample(written[c][i], scaling[c]);
            if (text) {
                std::string f = format("%-8d", v);
                if (++field % 10 == 0) {
                    f[6] = '\r';
                    f[7] = '\n';
                }
                out += f;
            } else {
                uint8_t be[2];
                putI16BE(be, v);
                out.append(reinterpret_cast<const char*>(be), 2);
            }
        }
    }
    const std::size_t sampleBytes = out.size() - sampleStart;
    out.append((kBlockBytes - sampleBytes % kBlockBytes) % kBlockBytes, '\0');
    return out;
}

} // namespace qm
