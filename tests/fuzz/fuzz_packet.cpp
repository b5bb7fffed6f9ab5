// Fuzz target: a packet or script text through the section reader, the
// profile reader and the command-line parser.
#include "batch/command_catalogue.h"
#include "batch/command_line.h"
#include "batch/line_reader.h"
#include "batch/profile_reader.h"
#include "batch/section_reader.h"
#include "batch/title_template.h"
#include "app/scan_record.h"
#include "app/text_format.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <cmath>
#include <string_view>

using namespace qm;

namespace {

void checkSection(const std::vector<std::string>& lines)
{
    fuzz::require(lines.size() <= kSectionMaxLines);
    for (const std::string& l : lines) {
        fuzz::require(!l.empty() && l.size() < kSectionLineLimit);
        fuzz::require(static_cast<unsigned char>(l.front()) >= 33 && l.front() != '[' && l.front() != ';');
        fuzz::require(static_cast<unsigned char>(l.back()) >= 33);
        fuzz::require(l.find('\0') == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto files = readSectionText(text, "[Files]");
    const auto commands = readSectionText(text, "[Commands]");
    checkSection(files);
    checkSection(commands);

    for (const char* key : {"AppHide", "OutPrefix", "InDir"}) {
        LineReader in(text);
        if (auto v = profileString(in, "Init", key, 32))
            fuzz::require(v->size() <= 31);
    }

    // The input's own [Commands] lines are its catalogue.
    const CommandCatalogue catalogue(commands);
    ScanRecord active;
    copyField(active.dateObs, text.substr(0, 16));
    copyField(active.timeObs, text.substr(size / 2, 16));
    int counter = 0;
    for (const std::string& line : commands) {
        const CommandLineParts p = parseCommandLine(line);
        fuzz::require(p.title.size() < kCommandTitleSize);
        for (float a : p.args)
            fuzz::require(std::isfinite(a));
        if (auto c = resolveCommandLine(line, catalogue))
            fuzz::require((c->number < 0) == (p.conditional && *catalogue.lookup(p.name) > 0));
        expandTitle(p.title, counter, &active);
    }
    const auto list = buildCommandList(commands, catalogue);
    fuzz::require(list.size() <= kMaxCommands);
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    return {
        "[Init]\r\nAppHide=1\r\nAppExit=0\r\nOutPrefix=p_\r\nFileMask=*.0hd\r\nOutDir=/tmp/out\r\nInDir=/tmp/in\r\n"
        "\r\n[Files]\r\na.0hd\r\n;skip\r\nb.fits\r\n\r\n[Commands]\r\n1 AllMode all\r\n101 SaveWorksheet save\r\n"
        "AllMode=1\r\n+SaveWorksheet=0 1#res%d_%y_%t\r\nSaveWorksheet#%s\r\n",
        "[Commands]\n8 SelectFreq select\n+110 SmoothGauss=3 4 5 6 7#" + std::string(90, 't') + "\n",
        "[Files]\n" + std::string(300, 'x') + "\n[Commands]\n=1 2\n#\n+\n",
        "[ init ]\n apphide = \"7\" \nOutPrefix='abcdefghijklmnopqrstuvwxyz0123456789'\n",
    };
}
