#pragma once
// Text fields of a scan record as strings, cut at their field size even
// when no terminating NUL is present.
#include <cstring>
#include <string>

namespace qm {

template <std::size_t N>
std::string fieldString(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

} // namespace qm
