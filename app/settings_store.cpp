#include "app/settings_store.h"

#include "app/atomic_file.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr const char* kSection = "[Quillmar]";
constexpr const char* kHexDigits = "0123456789abcdef";

std::string toHex(const std::vector<uint8_t>& bytes)
{
    std::string s;
    s.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        s += kHexDigits[b >> 4];
        s += kHexDigits[b & 15];
    }
    return s;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Binary values are hex text; anything else, or another length, is absent.
std::optional<std::vector<uint8_t>> fromHex(const std::string& text, std::size_t size)
{
    if (text.size() != size * 2)
        return std::nullopt;
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        const int hi = hexValue(text[2 * i]), lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return bytes;
}

std::optional<std::string> lookup(const std::map<std::string, std::string>& values, const std::string& name)
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

// Names become the left side of "name=value" lines, so they must not
// contain what the file syntax relies on.
bool validName(const std::string& name)
{
    if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.front() == '[' ||
        name.front() == ';' || name.front() == '#')
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '=')
            return false;
    return true;
}

// Values are written in double quotes with C-style escapes, so blanks at
// either end, '=', quotes, control characters and NUL all survive; bytes
// from 0x80 up are written as they are.
std::string quote(const std::string& value)
{
    std::string s = "\"";
    for (char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\\': s += "\\\\"; break;
        case '"': s += "\\\""; break;
        case '\n': s += "\\n"; break;
        case '\r': s += "\\r"; break;
        case '\t': s += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                s += "\\x";
                s += kHexDigits[c >> 4];
                s += kHexDigits[c & 15];
            } else {
                s += ch;
            }
        }
    }
    return s + "\"";
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Inverse of quote(); a value typed by hand without quotes is taken as it
// stands. nullopt for a damaged value (no closing quote, bad escape, text
// after the closing quote), which is then ignored.
std::optional<std::string> unquote(const std::string& raw)
{
    const std::string text = trim(raw);
    if (text.empty() || text.front() != '"')
        return text;
    std::string out;
    std::size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi << 4 | lo);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    if (i != text.size() - 1) // no closing quote, or text after it
        return std::nullopt;
    return out;
}

std::string homeDir()
{
    if (const char* h = std::getenv("HOME"); h && *h)
        return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return ".";
}

} // namespace

// ---- MemorySettingsStore -----------------------------------------------

std::optional<std::string> MemorySettingsStore::readText(const std::string& name) const
{
    return lookup(values, name);
}

bool MemorySettingsStore::writeText(const std::string& name, const std::string& value)
{
    values[name] = value;
    return true;
}

std::optional<std::vector<uint8_t>> MemorySettingsStore::readBinary(const std::string& name,
                                                                    std::size_t size) const
{
    const auto text = lookup(values, name);
    return text ? fromHex(*text, size) : std::nullopt;
}

bool MemorySettingsStore::writeBinary(const std::string& name, const std::vector<uint8_t>& value)
{
    values[name] = toHex(value);
    return true;
}

// ---- IniSettingsStore --------------------------------------------------

IniSettingsStore::IniSettingsStore(std::string path) : path_(std::move(path)) { load(); }

std::string IniSettingsStore::defaultPath()
{
    if (const char* p = std::getenv("QUILLMAR_CONFIG"); p && *p)
        return p;
    std::filesystem::path base;
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is invalid.
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/')
        base = x;
    else
        base = std::filesystem::path(homeDir()) / ".config";
    return (base / "quillmar" / "settings.ini").string();
}

void IniSettingsStore::load()
{
    values_.clear();
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path_, bytes))
        return;
    const std::string text(bytes.begin(), bytes.end());
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        const bool complete = end != std::string::npos;
        if (!complete)
            end = text.size();
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inSection = line == kSection;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos)
            continue;
        const std::string name = trim(line.substr(0, eq));
        const std::string raw = trim(line.substr(eq + 1));
        auto value = unquote(raw);
        // A last line without its end may have been cut short; only a
        // complete quoted value is trusted there.
        const bool cut = !complete && (raw.empty() || raw.front() != '"');
        if (validName(name) && value && !cut)
            values_[name] = std::move(*value);
    }
}

bool IniSettingsStore::flush() const
{
    std::string text = std::string(kSection) + "\n";
    for (const auto& [name, value] : values_)
        text += name + "=" + quote(value) + "\n";
    const auto dir = std::filesystem::path(path_).parent_path();
    std::error_code ec;
    if (!dir.empty())
        std::filesystem::create_directories(dir, ec);
    return writeFileAtomically(path_, text);
}

std::optional<std::string> IniSettingsStore::readText(const std::string& name) const
{
    return lookup(values_, name);
}

bool IniSettingsStore::writeText(const std::string& name, const std::string& value)
{
    if (!validName(name))
        return false;
    values_[name] = value;
    return flush();
}

std::optional<std::vector<uint8_t>> IniSettingsStore::readBinary(const std::string& name, std::size_t size) const
{
    const auto text = lookup(values_, name);
    return text ? fromHex(*text, size) : std::nullopt;
}

bool IniSettingsStore::writeBinary(const std::string& name, const std::vector<uint8_t>& value)
{
    return writeText(name, toHex(value));
}

} // namespace qm
