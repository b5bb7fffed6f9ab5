#pragma once
// One drift scan of the Sun at one frequency: a fixed header and up to two
// polarisation channels. Each present channel is one block of 2*nPoints+2
// floats: the Data array, then the Worksheet array, then two spare zeros.
#include "app/bulk_memory.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

inline constexpr int kMaxPoints = 16000;      // longest scan the readers accept
inline constexpr int kMaxScans = 1000;        // no load is accepted above this
inline constexpr int kMaxGroup = 128;         // members of a scan group
inline constexpr int kMaxArrayView = 9;       // the array group view has 3x3 cells
inline constexpr int kMaxGaussComponents = 15;
inline constexpr int kGaussTableFloats = 65;  // table made by the interactive analysis
inline constexpr std::size_t kRecordBytes = 524;

// A channel block lives in bulk memory: a set's blocks are most of its bytes.
using ChannelBlock = std::vector<float, BulkAllocator<float>>;

struct ScanRecord {
    char dataFile[256]{};   // data file the scan came from; empty for scans made in memory
    char object[50]{};
    char dateObs[16]{};     // "%04d/%02d/%02d"
    char timeObs[16]{};     // h:m:s, seconds possibly fractional
    char telescop[50]{};
    char origin[50]{};
    int16_t nPoints = 0;
    float azimuth = 0;
    float altitude = 0;
    float angleP = 0;
    float radius = 0;       // solar radius in X units
    float centerPoint = 0;  // fractional point index of the disk centre
    int16_t tqSun = 0;      // quiet-Sun brightness temperature, K
    float beamHalfsize = 0; // X units
    float step = 0;         // X units between points
    float fluxCoef = 0;
    float frequency = 0;    // GHz; the sort key of the list
    int16_t calibData = 0;
    int16_t calibWrk = 0;
    int16_t fluxWrk = 0;
    int16_t fluxData = 0;
    int16_t flagIvData = 0; // 1: Data holds R,L; 0: I,V
    int16_t flagIvWrk = 0;
    int16_t sampleFormat = 0; // 0: 16-bit binary samples, 1: 8-character text

    ChannelBlock chanI; // channel-1 block, empty when absent
    ChannelBlock chanV; // channel-2 block, empty when absent
    std::vector<float> gauss; // Gaussian table, empty when none

    // Views of the four arrays; null when the channel is absent.
    float* dataI() { return chanI.empty() ? nullptr : chanI.data(); }
    float* dataV() { return chanV.empty() ? nullptr : chanV.data(); }
    float* wrkI() { return chanI.empty() ? nullptr : chanI.data() + nPoints; }
    float* wrkV() { return chanV.empty() ? nullptr : chanV.data() + nPoints; }
    const float* dataI() const { return chanI.empty() ? nullptr : chanI.data(); }
    const float* dataV() const { return chanV.empty() ? nullptr : chanV.data(); }
    const float* wrkI() const { return chanI.empty() ? nullptr : chanI.data() + nPoints; }
    const float* wrkV() const { return chanV.empty() ? nullptr : chanV.data() + nPoints; }
    float* gaussTable() { return gauss.empty() ? nullptr : gauss.data(); }
    bool hasI() const { return !chanI.empty(); }
    bool hasV() const { return !chanV.empty(); }

    // Allocates a zero-filled block of 2*nPoints+2 floats for channel 1 or 2
    // (replacing any block already there). nPoints must be set first.
    void allocChannel(int channel);
    // The same for a caller that writes the whole Data and Worksheet arrays
    // itself: only the two spare floats are zeroed.
    void allocChannelForOverwrite(int channel);
    void freeChannel(int channel);
    // Copies the Data array of each present channel into its Worksheet.
    void copyDataToWorksheet();

    // "%06.3f %s %s" with frequency, dateObs and timeObs.
    std::string label() const;
};

// The 524-byte persistent image of the header (pointer slots written as 0).
std::array<uint8_t, kRecordBytes> encodeRecord(const ScanRecord& r);
// Fills the header fields of `r` from a 524-byte image; the arrays are left
// alone. Text fields are forced to end in NUL whatever the image holds.
void decodeRecord(const uint8_t* image, ScanRecord& r);

// The header view text of command 116 ("Header of data").
std::string headerViewText(const ScanRecord& r);

// Field offsets of the persistent layout, shared by the codec and its test.
namespace rec {
inline constexpr std::size_t next = 0, prev = 4, dataI = 8, dataV = 12, gauss = 16, wrkI = 20, wrkV = 24;
inline constexpr std::size_t dataFile = 28, object = 284, dateObs = 334, timeObs = 350, telescop = 366,
                             origin = 416, nPoints = 466, azimuth = 468, altitude = 472, angleP = 476,
                             radius = 480, centerPoint = 484, tqSun = 488, beamHalfsize = 492, step = 496,
                             fluxCoef = 500, frequency = 504, calibData = 508, calibWrk = 510, fluxWrk = 512,
                             fluxData = 514, flagIvData = 516, flagIvWrk = 518, sampleFormat = 520;
} // namespace rec

} // namespace qm
