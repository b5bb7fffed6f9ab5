#pragma once
// The templates of a command title: "%d" is the title counter, "%y" the
// active scan's date (yyyymmdd) and "%t" its time (hhmmss); "%s" stays for
// the operation that uses the title.
#include <string>

namespace qm {

struct ScanRecord;

// Applies the templates in the order "%d", "%y", "%t". A title containing
// "%d" increments `counter` first and shows its new value at every "%d".
std::string expandTitle(const std::string& title, int& counter, const ScanRecord* active);

// "yyyymmdd" from characters 0-3, 5-6, 8-9 of dateObs and "hhmmss" from
// characters 0-1, 3-4, 6-7 of timeObs (as far as the fields reach).
std::string compactDate(const ScanRecord& r);
std::string compactTime(const ScanRecord& r);

} // namespace qm
