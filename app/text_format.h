#pragma once
// printf/scanf-compatible text helpers. File formats and reports are defined
// by C format strings, so they are produced with snprintf and read with
// sscanf-style parsing; the process runs with LC_NUMERIC = "C".
#include <cmath>
#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Numbers in files and reports are written and read the C way whatever the
// user's locale: toolkits set the process locale from the environment, so
// programs call this once after their toolkit has started.
void useCNumericLocale();

// snprintf into a std::string of any length.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list ap);

// First whitespace-delimited word of a text ("" when none).
std::string firstWord(std::string_view text);

// Upper-case copy (ASCII only).
std::string upper(std::string_view text);

// Parses the first number like sscanf "%f" / "%d" (leading blanks skipped).
// Returns false when nothing parses; `out` is untouched then.
bool scanFloat(std::string_view text, float& out);
bool scanDouble(std::string_view text, double& out);
bool scanInt(std::string_view text, int& out);

// Copies text into a fixed NUL-terminated field, cutting at size-1 bytes.
void copyField(char* field, std::size_t size, std::string_view text);
template <std::size_t N>
void copyField(char (&field)[N], std::string_view text) { copyField(field, N, text); }

// Nearest whole number; a fraction of exactly one half goes toward zero.
inline double roundHalfToZero(double v)
{
    const double t = std::trunc(v);
    return v - t > 0.5 ? t + 1 : v - t < -0.5 ? t - 1 : t;
}

// Truncation toward zero to int; nullopt for NaN and values outside int.
std::optional<int> truncToInt(long double v);

// Truncation toward zero to a signed 16-bit integer (wraps like a C cast of
// an int, which is what the stored formats rely on for finite values).
short truncToShort(double v);

} // namespace qm
