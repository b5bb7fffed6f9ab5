#pragma once
// The section reader of packet files, script files and the command
// catalogue: the lines that follow the first line containing a header text
// such as "[Files]", up to the first line that starts with a blank, a
// control character or "[", without ";" comments.
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LineReader;

inline constexpr std::size_t kSectionLineLimit = 255; // lines this long or longer are dropped
inline constexpr std::size_t kSectionMaxLines = 1000;

// Every taken line has its trailing characters below code 33 removed. A
// missing file or a missing header gives no lines.
std::vector<std::string> readSection(const std::string& path, std::string_view header);
std::vector<std::string> readSectionText(std::string_view text, std::string_view header);
std::vector<std::string> readSection(LineReader& in, std::string_view header);

// The text without its trailing characters below code 33.
std::string_view trimTrailingControls(std::string_view s);

} // namespace qm
