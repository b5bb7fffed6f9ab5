#pragma once
// Builders of data files and header files for the reader tests and the fuzz
// drivers, written independently of the program's own writer.
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
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

inline std::string blankCard() { return std::string(80, ' '); }

// Shape T: the SIMPLE card, the given cards, an 80-byte END card, blank
// cards up to a multiple of 36, then the sample bytes.
inline std::string shapeTFile(const std::vector<std::string>& cards, const std::string& samples)
{
    std::string f = card("SIMPLE  =              T  / FILE DOES CONFORM TO FITS STANDARD");
    for (const auto& c : cards)
        f += card(c);
    f += "END" + std::string(77, ' ');
    while (f.size() % 2880 != 0)
        f += blankCard();
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

inline void writeFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace qm::test
