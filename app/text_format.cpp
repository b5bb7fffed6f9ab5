#include "app/text_format.h"

#include <cctype>
#include <clocale>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qm {

void useCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

std::string vformat(const char* fmt, va_list ap)
{
    va_list copy;
    va_copy(copy, ap);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof small)
        return std::string(small, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string s = vformat(fmt, ap);
    va_end(ap);
    return s;
}

std::string firstWord(std::string_view text)
{
    std::size_t b = 0;
    while (b < text.size() && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    std::size_t e = b;
    while (e < text.size() && !std::isspace(static_cast<unsigned char>(text[e])) && text[e] != '\0')
        ++e;
    return std::string(text.substr(b, e - b));
}

std::string upper(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace {
// sscanf needs a NUL-terminated buffer; string_views from files may not be.
std::string terminated(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
}

bool scanFloat(std::string_view text, float& out)
{
    float v;
    if (std::sscanf(terminated(text).c_str(), "%f", &v) != 1)
        return false;
    out = v;
    return true;
}

bool scanDouble(std::string_view text, double& out)
{
    double v;
    if (std::sscanf(terminated(text).c_str(), "%lf", &v) != 1)
        return false;
    out = v;
    return true;
}

bool scanInt(std::string_view text, int& out)
{
    int v;
    if (std::sscanf(terminated(text).c_str(), "%d", &v) != 1)
        return false;
    out = v;
    return true;
}

void copyField(char* field, std::size_t size, std::string_view text)
{
    if (size == 0)
        return;
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

std::optional<int> truncToInt(long double v)
{
    if (!(v > static_cast<long double>(INT_MIN) - 1 && v < static_cast<long double>(INT_MAX) + 1))
        return std::nullopt;
    return static_cast<int>(v);
}

short truncToShort(double v)
{
    if (!(v > -2147483648.0 && v < 2147483648.0))
        return 0; // NaN or far out of range: a C cast would be undefined
    return static_cast<short>(static_cast<int>(v));
}

} // namespace qm
