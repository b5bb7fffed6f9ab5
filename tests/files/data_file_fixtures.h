#pragma once
// Builders of data files and header files for the reader tests and the fuzz
// drivers, written independently of the program's own writer; scans for the
// writer tests.
#include "app/scan_record.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace qm::test {

// One card as the program writes it: the text in 78 columns, then CR LF.
inline std::string card(const std::string& text)
{
    std::string c = text.substr(0, 78);
    c.resize(78, ' ');
    return c + "\r\n";
}

// Shape T: the SIMPLE card, the given cards, an 80-byte END card, blank
// cards up to a multiple of 36, then the sample bytes.
inline std::string shapeTFile(const std::vector<std::string>& cards, const std::string& samples)
{
    std::string f = card("SIMPLE  =              T  / FILE DOES CONFORM TO FITS STANDARD");
    for (const auto& c : cards)
        f += card(c);
    f += "END" + std::string(77, ' ');
    while (f.size() % 2880 != 0)
        f += std::string(80, ' ');
    return f + samples;
}

// Shape F: the SIMPLE card, the cards, two END cards, then per channel its
// header lines (LF ended, closed by END) and its sample bytes.
struct ChannelF {
    std::vector<std::string> lines;
    std::string samples;
};
inline std::string shapeFFile(const std::vector<std::string>& cards, const std::vector<ChannelF>& channels)
{
    std::string f = card("SIMPLE  =              F");
    for (const auto& c : cards)
        f += card(c);
    f += card("END");
    f += card("COMMENT between the two END cards");
    f += card("END");
    for (const auto& ch : channels) {
        for (const auto& l : ch.lines)
            f += l + "\n";
        f += "END\n";
        f += ch.samples;
    }
    return f;
}

inline std::string beSamples(std::initializer_list<int> v)
{
    std::string s;
    for (int x : v) {
        s += static_cast<char>((x >> 8) & 0xff);
        s += static_cast<char>(x & 0xff);
    }
    return s;
}

// Little-endian samples followed by the two line-end bytes of shape F.
inline std::string leSamplesF(std::initializer_list<int> v)
{
    std::string s;
    for (int x : v) {
        s += static_cast<char>(x & 0xff);
        s += static_cast<char>((x >> 8) & 0xff);
    }
    return s + "\r\n";
}

// A typical two-channel shape-T file of five points with every header value.
inline std::string sampleShapeT()
{
    return shapeTFile({"BITPIX  =             16", "NAXIS   =              2", "NAXIS1  =              5",
                       "NAXIS2  =              2", "PMCSUN  =           2.50", "DATE-OBS= '12/03/1999'  /",
                       "TIME-OBS= '05:13:47.25'  / UT", "OBJECT  = 'SUN'  /", "TELESCOP= 'RATAN-600'  /",
                       "ORIGIN  = 'SAO'  /", "OBS-FREQ=          3.250  / GHz", "POLARSET=              1",
                       "BSCALE1 =   2.000000e+00  /", "BZERO1  =   1.000000e+01  /",
                       "BSCALE2 =   5.000000e-01  /", "BZERO2  =  -1.000000e+00  /"},
                      beSamples({5, -3, 32767, -32768, 0}) + beSamples({100, 200, 300, 400, 500}));
}

// A two-channel shape-F file of four points: channel 2 first, then channel 1.
inline std::string sampleShapeF()
{
    return shapeFFile({"BITPIX  =             16", "N_POLAR =              2", "NAXIS1  =              4",
                       "OBS-FREQ=          2.800", "DATE-OBS= '2004-05-01'"},
                      {{{"POLARIZ =              0", "BSCALE  =            0.5", "BZERO   =              3"},
                        leSamplesF({2, 4, -6, 8})},
                       {{"POLARIZ =              1", "BSCALE  =              2"}, leSamplesF({1, -2, 300, 4000})}});
}

// The first n values of an array, to compare as a whole.
inline std::vector<float> arrayOf(const float* p, int n) { return std::vector<float>(p, p + n); }

// A scan of n points at `freq` GHz, observed 2004/05/01 05:13:47, centre
// 20.5, 1.5" apart: its Worksheets hold a sine and a cosine and its Data
// arrays other values, so a writer that takes the wrong array shows.
inline std::unique_ptr<ScanRecord> wavyScan(float freq, int n, float fluxCoef = 0.5f, bool chan1 = true,
                                            bool chan2 = true)
{
    auto r = std::make_unique<ScanRecord>();
    r->nPoints = int16_t(n);
    r->frequency = freq;
    r->fluxCoef = fluxCoef;
    r->step = 1.5f;
    r->centerPoint = 20.5f;
    r->radius = 960;
    r->azimuth = 12.5f;
    r->altitude = 45.25f;
    r->angleP = -3.5f;
    r->tqSun = 16000;
    r->beamHalfsize = 17;
    copyField(r->object, "Sun");
    copyField(r->dateObs, "2004/05/01");
    copyField(r->timeObs, "05:13:47");
    copyField(r->telescop, "RATAN-600");
    copyField(r->origin, "SAO");
    if (chan1)
        r->allocChannel(1);
    if (chan2)
        r->allocChannel(2);
    for (int k = 0; k < n; ++k) {
        if (chan1) {
            r->dataI()[k] = 10 * freq + float(k % 7) * 3.25f;
            r->wrkI()[k] = 100 * freq + 500 * std::sin(0.7f * float(k));
        }
        if (chan2) {
            r->dataV()[k] = -float(k) * 0.5f;
            r->wrkV()[k] = 40 * std::cos(1.3f * float(k)) - 7;
        }
    }
    return r;
}

// Adds a scan to the set as a load does: sorted, the first scan active.
inline ScanRecord* addScan(Workbench& wb, std::unique_ptr<ScanRecord> r)
{
    ScanRecord* p = wb.scans.pushHead(std::move(r));
    wb.scans.sort();
    wb.activeScan = wb.scans.head();
    wb.setLoaded = true;
    return p;
}

// What a 16-bit sample of x[first], x[first + step], ... up to x[last] may
// be off by: half the range over 30000, with a margin; times `factor`.
inline double quantum(const float* x, int first, int last, int step, double factor = 1)
{
    double max = -1e30, min = 1e30;
    for (int i = first; i <= last; i += step) {
        max = std::max<double>(max, x[i]);
        min = std::min<double>(min, x[i]);
    }
    return ((max - min) / 2 / 30000 * 1.05 + 1e-6 * std::fabs(max + min)) * factor;
}

} // namespace qm::test
