#include "batch/title_template.h"

#include "app/scan_record.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qm {

namespace {

// Characters [from, from + count) of a NUL-terminated field.
std::string fieldPart(const char* field, std::size_t size, std::size_t from, std::size_t count)
{
    const std::size_t length = strnlen(field, size);
    if (from >= length)
        return {};
    return std::string(field + from, std::min(count, length - from));
}

void replaceAll(std::string& s, std::string_view what, const std::string& with)
{
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
}

} // namespace

std::string compactDate(const ScanRecord& r)
{
    const std::size_t n = sizeof r.dateObs;
    return fieldPart(r.dateObs, n, 0, 4) + fieldPart(r.dateObs, n, 5, 2) + fieldPart(r.dateObs, n, 8, 2);
}

std::string compactTime(const ScanRecord& r)
{
    const std::size_t n = sizeof r.timeObs;
    return fieldPart(r.timeObs, n, 0, 2) + fieldPart(r.timeObs, n, 3, 2) + fieldPart(r.timeObs, n, 6, 2);
}

std::string expandTitle(const std::string& title, int& counter, const ScanRecord* active)
{
    std::string s = title;
    // The title is never used as a format: other conversions in it would
    // read arguments that do not exist.
    if (s.find("%d") != std::string::npos) {
        ++counter;
        replaceAll(s, "%d", std::to_string(counter));
    }
    if (active) {
        if (s.find("%y") != std::string::npos)
            replaceAll(s, "%y", compactDate(*active));
        if (s.find("%t") != std::string::npos)
            replaceAll(s, "%t", compactTime(*active));
    }
    return s;
}

} // namespace qm
