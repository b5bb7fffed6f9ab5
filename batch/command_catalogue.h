#pragma once
// The command catalogue "CommPack.dat": the [Commands] section holds one
// line per command, its number first, then a one-word name and a short
// description. The catalogue is the only place where command names live.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Workbench;

inline constexpr const char* kCatalogueFile = "CommPack.dat";

struct CatalogueLine {
    int number = 0;
    std::string text; // the whole line
};

class CommandCatalogue {
public:
    CommandCatalogue() = default;
    explicit CommandCatalogue(const std::vector<std::string>& sectionLines);
    static CommandCatalogue load(const std::string& path);
    // programDir/CommPack.dat
    static CommandCatalogue forWorkbench(const Workbench& wb);

    // The number of the first line, in catalogue order, that contains the
    // name; nullopt when none does or the name has no visible character.
    std::optional<int> lookup(std::string_view name) const;
    // The line itself, or null.
    const CatalogueLine* find(std::string_view name) const;
    const std::vector<CatalogueLine>& lines() const { return lines_; }
    bool empty() const { return lines_.empty(); }

private:
    std::vector<CatalogueLine> lines_; // lines whose number could be read
};

// The path of the catalogue beside the program.
std::string cataloguePath(const Workbench& wb);

// The second word of a catalogue line (its command name), "" when none.
std::string catalogueName(std::string_view line);

} // namespace qm
