#include "batch/command_catalogue.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "batch/section_reader.h"

#include <algorithm>
#include <filesystem>

namespace qm {

CommandCatalogue::CommandCatalogue(const std::vector<std::string>& sectionLines)
{
    for (const std::string& line : sectionLines) {
        int number;
        // Command numbers are not negative: a minus sign marks a
        // conditional command in a list.
        if (scanInt(line, number) && number >= 0)
            lines_.push_back({number, line});
    }
}

CommandCatalogue CommandCatalogue::load(const std::string& path)
{
    return CommandCatalogue(readSection(path, "[Commands]"));
}

CommandCatalogue CommandCatalogue::forWorkbench(const Workbench& wb)
{
    CommandCatalogue cat = load(cataloguePath(wb));
    // Plug-in items follow the shipped lines as "<id> <name> <hint>". A name
    // that is not one visible word, or that an earlier line already answers
    // to, would run another command: such an item gets no line.
    for (const CommandInfo& c : wb.commands().all()) {
        const std::string& name = c.batchName;
        const bool oneWord = !name.empty() && std::none_of(name.begin(), name.end(), [](char ch) {
            return static_cast<unsigned char>(ch) <= ' ' || ch == 0x7f;
        });
        if (oneWord && !cat.lookup(name))
            cat.lines_.push_back({c.id, std::to_string(c.id) + " " + name + " " + c.hint});
    }
    return cat;
}

std::optional<int> CommandCatalogue::lookup(std::string_view name) const
{
    const CatalogueLine* l = find(name);
    return l ? std::optional<int>(l->number) : std::nullopt;
}

const CatalogueLine* CommandCatalogue::find(std::string_view name) const
{
    // An empty name would be found in every line and run the first command.
    if (trimTrailingControls(name).empty())
        return nullptr;
    for (const CatalogueLine& l : lines_)
        if (l.text.find(name) != std::string::npos)
            return &l;
    return nullptr;
}

std::string cataloguePath(const Workbench& wb)
{
    return (std::filesystem::path(wb.programDir) / kCatalogueFile).string();
}

std::string catalogueName(std::string_view line)
{
    const std::string first = firstWord(line);
    const std::size_t at = line.find(first) + first.size();
    return first.empty() ? std::string() : firstWord(line.substr(at));
}

} // namespace qm
