#pragma once
// Command lines of packets and scripts: [+]name[=a1 a2 a3 a4][#title], and
// the command list built from them.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class CommandCatalogue;

inline constexpr std::size_t kCommandTitleSize = 74; // title field, NUL included
inline constexpr std::size_t kMaxCommands = 100;

// One entry of a command list. A negative number marks a conditional
// command: it runs only after a scan selection of the same execution found
// its scan.
struct BatchCommand {
    int number = 0;
    std::array<float, 4> args{};
    std::string title;
    std::string name; // the catalogue's name of the command, for the log
};

struct CommandLineParts {
    bool conditional = false;
    std::string name; // blanks included
    std::array<float, 4> args{};
    std::string title;
};

// Splits a line: the title after the first "#" (cut to 73 characters), the
// arguments after the first "=" read as "%f %f %f %f" (missing ones 0, and
// values that are not finite 0), a leading "+", and the name that remains.
CommandLineParts parseCommandLine(std::string_view line);

// The command of a line, or nullopt when its name matches no catalogue line.
std::optional<BatchCommand> resolveCommandLine(std::string_view line, const CommandCatalogue& catalogue);

// The command list of section lines, in order, at most kMaxCommands
// entries; lines with unknown names are dropped.
std::vector<BatchCommand> buildCommandList(const std::vector<std::string>& lines,
                                           const CommandCatalogue& catalogue);

} // namespace qm
