// Fuzz target: the bytes as a Windows metafile translated to PostScript.
#include "tests/fuzz/fuzz_seeds.h"
#include "view/metafile_to_ps.h"
#include "view/wmf_canvas.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string ps =
        metafileToPostScript(std::string_view(reinterpret_cast<const char*>(data), size), {500, 400, 14, 1});
    const std::string epilogue = " K\r\nshowpage\r\nend\r\ngrestore ";
    fuzz::require(ps.rfind("%!PS-Adobe-2.0\r\n", 0) == 0);
    fuzz::require(ps.size() >= epilogue.size() && ps.compare(ps.size() - epilogue.size(), epilogue.size(), epilogue) == 0);
    // Every "K S " has its "K R ": an unmatched restore would undo the
    // page's own state.
    std::size_t saves = 0, restores = 0;
    for (auto at = ps.find("K S "); at != std::string::npos; at = ps.find("K S ", at + 1))
        ++saves;
    for (auto at = ps.find("K R "); at != std::string::npos; at = ps.find("K R ", at + 1))
        ++restores;
    fuzz::require(restores <= saves);
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    WmfCanvas c(200, 100);
    c.setPen({kRed, PenStyle::Dash, 1});
    c.polyline({{1, 2}, {30, 40}, {50, 60}});
    c.setClip({10, 10, 90, 90});
    c.setPen({kBlack, PenStyle::Dot, 2});
    c.rectangle({5, 5, 50, 50});
    c.ellipse({5, 5, 50, 40});
    c.arc({0, 0, 40, 40}, {40, 20}, {20, 0});
    c.clearClip();
    c.setFont(14);
    c.text(100, 50, "Sun (AR 9393\\)", HAlign::Center, VAlign::Bottom);
    c.bitmap({0, 0, 8, 8}, 2, 2, {0, 1, 2, 3}, {kBlack, kWhite, kRed, kBlack});
    return {c.bytes()};
}
