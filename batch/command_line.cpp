#include "batch/command_line.h"

#include "batch/command_catalogue.h"

#include <cmath>
#include <cstdio>

namespace qm {

CommandLineParts parseCommandLine(std::string_view line)
{
    CommandLineParts p;
    line = line.substr(0, line.find('\0'));
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
        p.title = std::string(line.substr(hash + 1, kCommandTitleSize - 1));
        line = line.substr(0, hash);
    }
    if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
        const std::string text(line.substr(eq + 1));
        float a[4] = {0, 0, 0, 0};
        std::sscanf(text.c_str(), "%f %f %f %f", &a[0], &a[1], &a[2], &a[3]);
        for (std::size_t i = 0; i < 4; ++i)
            p.args[i] = std::isfinite(a[i]) ? a[i] : 0.0f;
        line = line.substr(0, eq);
    }
    if (!line.empty() && line.front() == '+') {
        p.conditional = true;
        line.remove_prefix(1);
    }
    p.name = std::string(line);
    return p;
}

std::optional<BatchCommand> resolveCommandLine(std::string_view line, const CommandCatalogue& catalogue)
{
    CommandLineParts p = parseCommandLine(line);
    const CatalogueLine* entry = catalogue.find(p.name);
    if (!entry)
        return std::nullopt;
    BatchCommand c;
    c.number = p.conditional ? -entry->number : entry->number;
    c.args = p.args;
    c.title = std::move(p.title);
    c.name = catalogueName(entry->text);
    return c;
}

std::vector<BatchCommand> buildCommandList(const std::vector<std::string>& lines, const CommandCatalogue& catalogue)
{
    std::vector<BatchCommand> list;
    for (const std::string& line : lines) {
        if (list.size() == kMaxCommands)
            break;
        if (auto c = resolveCommandLine(line, catalogue))
            list.push_back(std::move(*c));
    }
    return list;
}

} // namespace qm
