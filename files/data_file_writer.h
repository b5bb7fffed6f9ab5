#pragma once
// The bytes of one data file as the program writes it (shape "T"): 80-byte
// header cards padded to 36 cards, then the samples of the written channels
// as 16-bit integers (big-endian) or 8-character text numbers, padded with
// zeros to a multiple of 2880 bytes.
#include <string>

namespace qm {

struct ScanRecord;

// Integer scaling of one written channel: value = sample * scale + offset.
struct SampleScaling {
    double offset = 0;
    double scale = 1;
};

// Scaling over the points begin, begin+step, ... below end of `x`:
// offset = (max+min)/2, scale = (max-offset)/30000, or 1 when that is 0.
SampleScaling sampleScaling(const float* x, int begin, int end, int step);
// (value - offset) / scale truncated toward zero to 16 bits.
short scaledSample(float value, const SampleScaling& s);

// Which part of a scan goes into a data file.
struct DataFileRequest {
    bool worksheet = false; // Worksheet arrays and flags, else the Data ones
    int begin = 0;          // first point written
    int end = 0;            // points below this are written
    int step = 1;           // decimation step, at least 1
    int sampleFormat = 0;   // 0: 16-bit binary samples, otherwise text samples
};

// Number of points begin, begin+step, ... below end (0 for an empty range).
int writtenPoints(int begin, int end, int step);

// The complete file. The range is clipped to the scan's points; an empty
// string means there is nothing to write (no points or no channel).
std::string encodeDataFile(const ScanRecord& r, const DataFileRequest& q);

} // namespace qm
