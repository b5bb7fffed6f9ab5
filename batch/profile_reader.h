#pragma once
// Values of INI-style files with the semantics of the system's profile
// strings: section and key names compared without regard to case, blanks
// around names and values ignored, a value enclosed in a pair of equal
// quote characters taken without them, the first section and key of a name
// winning, and values cut to the caller's buffer size.
#include <optional>
#include <string>
#include <string_view>

namespace qm {

class LineReader;

// The value of `key` in `[section]`, at most `bufferSize` - 1 characters;
// nullopt when the section or the key is missing.
std::optional<std::string> profileString(LineReader& in, std::string_view section, std::string_view key,
                                         std::size_t bufferSize);
std::optional<std::string> profileString(const std::string& path, std::string_view section,
                                         std::string_view key, std::size_t bufferSize);

// An integer value: `fallback` when the key is missing or empty, else the
// number its text starts with (an optional sign, then decimal digits or
// hex digits after "0x"), 0 when it starts with none.
int profileInt(const std::string& path, std::string_view section, std::string_view key, int fallback);
int profileIntValue(std::string_view text);

} // namespace qm
