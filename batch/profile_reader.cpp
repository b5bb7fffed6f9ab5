#include "batch/profile_reader.h"

#include "batch/line_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>

namespace qm {

namespace {

// Values longer than this are never needed: profile buffers are small.
constexpr std::size_t kProfileBufferLimit = 4096;

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

} // namespace

std::optional<std::string> profileString(LineReader& in, std::string_view section, std::string_view key,
                                         std::size_t bufferSize)
{
    std::string line;
    bool inSection = false, sectionSeen = false;
    while (in.next(line)) {
        if (auto name = sectionName(line)) {
            if (sectionSeen) // only the first section of that name counts
                break;
            inSection = sameName(*name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || !sameName(trimBlanks(std::string_view(line).substr(0, eq)), key))
            continue;
        std::string_view value = trimBlanks(std::string_view(line).substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        const std::size_t keep = bufferSize == 0 ? 0 : bufferSize - 1;
        return std::string(value.substr(0, std::min({keep, value.size(), kProfileBufferLimit})));
    }
    return std::nullopt;
}

std::optional<std::string> profileString(const std::string& path, std::string_view section,
                                         std::string_view key, std::size_t bufferSize)
{
    LineReader in(path);
    if (!in.ok())
        return std::nullopt;
    return profileString(in, section, key, bufferSize);
}

int profileIntValue(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long long v = 0; // stays 0 when no digit starts the text
    if (std::from_chars(text.data(), text.data() + text.size(), v, base).ec == std::errc::result_out_of_range)
        v = ULLONG_MAX;
    // Held to the int range instead of overflowing.
    const unsigned long long limit = negative ? 1ull + INT_MAX : INT_MAX;
    const long long held = static_cast<long long>(v > limit ? limit : v);
    return static_cast<int>(negative ? -held : held);
}

int profileInt(const std::string& path, std::string_view section, std::string_view key, int fallback)
{
    const auto text = profileString(path, section, key, 256);
    if (!text || trimBlanks(*text).empty())
        return fallback;
    return profileIntValue(*text);
}

} // namespace qm
