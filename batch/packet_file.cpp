#include "batch/packet_file.h"

#include "app/settings.h"
#include "batch/profile_reader.h"
#include "batch/section_reader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qm {

namespace {

std::string initText(const std::string& path, const char* key, std::size_t buffer, const std::string& fallback)
{
    return profileString(path, "Init", key, buffer).value_or(fallback);
}

// A folder named by the packet; a relative one is taken from the packet's
// own folder, so a packet and its data can move together. A key left empty
// (as in a fresh packet skeleton) means the same as a missing one.
std::string initFolder(const std::string& path, const char* key, const std::string& fallback)
{
    const auto text = profileString(path, "Init", key, kPathBuffer);
    if (!text || text->empty())
        return fallback;
    const std::filesystem::path folder(*text);
    if (folder.is_absolute())
        return *text;
    return (std::filesystem::path(path).parent_path() / folder).lexically_normal().string();
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

} // namespace

PacketInit readPacketInit(const std::string& path, const Settings& settings)
{
    PacketInit init;
    init.appHide = profileInt(path, "Init", "AppHide", 0);
    init.appExit = profileInt(path, "Init", "AppExit", 1);
    init.outPrefix = initText(path, "OutPrefix", kPrefixBuffer, "");
    init.fileMask = initText(path, "FileMask", kPathBuffer, "");
    init.outDir = initFolder(path, "OutDir", settings.output.substr(0, kPathBuffer - 1));
    init.outFile = initText(path, "OutFile", kPathBuffer, kDefaultLogName);
    init.inDir = initFolder(path, "InDir", settings.lastDir.substr(0, kPathBuffer - 1));
    return init;
}

bool matchesFileMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    // Iterative wildcard match with one backtracking point per '*'.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

std::vector<std::string> packetFiles(const std::string& path, const PacketInit& init)
{
    if (init.fileMask.empty()) {
        auto files = readSection(path, "[Files]");
        if (files.size() > kMaxPacketFiles)
            files.resize(kMaxPacketFiles);
        return files;
    }
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(init.inDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (it->is_directory(kind))
            continue;
        const std::string name = it->path().filename().string();
        if (matchesFileMask(name, init.fileMask))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    if (files.size() > kMaxPacketFiles)
        files.resize(kMaxPacketFiles);
    return files;
}

std::string packetBaseName(std::string_view fileName)
{
    std::string base(fileName.substr(0, fileName.find('z')));
    std::replace(base.begin(), base.end(), '.', '_');
    return base;
}

} // namespace qm
