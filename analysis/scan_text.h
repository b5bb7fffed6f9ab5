#pragma once
// Text fields of a scan record as strings, cut at their field size even
// when no terminating NUL is present.
#include "app/scan_record.h"
#include "app/text_format.h"

#include <cstring>
#include <string>

namespace qm {

template <std::size_t N>
std::string fieldString(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

// "%.2f\t%s\t%s" with frequency, date and time: the start of every
// per-scan report line.
inline std::string lineStart(const ScanRecord& s)
{
    return format("%.2f\t%s\t%s", s.frequency, fieldString(s.dateObs).c_str(), fieldString(s.timeObs).c_str());
}

} // namespace qm
