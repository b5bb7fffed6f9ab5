#include "batch/section_reader.h"

#include "batch/line_reader.h"

namespace qm {

namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) < 33; }

} // namespace

std::string_view trimTrailingControls(std::string_view s)
{
    while (!s.empty() && isBlankOrControl(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> readSection(LineReader& in, std::string_view header)
{
    std::vector<std::string> lines;
    std::string line;
    bool found = false;
    while (!found && in.next(line))
        found = line.find(header) != std::string::npos;
    if (!found)
        return lines;
    while (lines.size() < kSectionMaxLines && in.next(line)) {
        if (line.empty() || isBlankOrControl(line[0]) || line[0] == '[')
            break;
        if (line[0] == ';')
            continue;
        const std::string_view taken = trimTrailingControls(line);
        // An over-long line is dropped whole, never split into pieces.
        if (in.lastWasCut() || taken.size() >= kSectionLineLimit)
            continue;
        lines.emplace_back(taken);
    }
    return lines;
}

std::vector<std::string> readSection(const std::string& path, std::string_view header)
{
    LineReader in(path);
    if (!in.ok())
        return {};
    return readSection(in, header);
}

std::vector<std::string> readSectionText(std::string_view text, std::string_view header)
{
    LineReader in(text);
    return readSection(in, header);
}

} // namespace qm
