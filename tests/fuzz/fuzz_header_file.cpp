// Fuzz target: a header file (or any file) handed to openScans, with a few
// real data files beside it.
#include "app/scan_record.h"
#include "app/text_format.h"
#include "files/open_scans.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/fuzz/fuzz_bench.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <algorithm>
#include <filesystem>

using namespace qm;

namespace {

struct Folder {
    test::TempDir dir;
    int counter = 0;
    Folder()
    {
        test::writeFile(dir.file("a.001"), test::sampleShapeT());
        test::writeFile(dir.file("b.002"), test::sampleShapeF());
        std::filesystem::create_directory(dir.path() / "sub");
        test::writeFile(dir.file("sub/c.003"), test::sampleShapeT());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Folder folder;
    // A new name each time: rewriting one file in place makes the file
    // system flush it on every close.
    const std::string path = folder.dir.file("list" + std::to_string(folder.counter++) + ".0hd");
    test::writeFile(path, std::string(reinterpret_cast<const char*>(data), size));

    fuzz::Bench bench;
    Workbench& wb = bench.next(size);
    const test::FakeUi& ui = bench.ui;
    // Every third input starts near the list-load limit of 256 scans.
    const int before = size % 3 == 0 ? 253 : 0;
    ScanChain earlier;
    for (int k = 0; k < before; ++k) {
        earlier.push_back(std::make_unique<ScanRecord>());
        earlier.back()->nPoints = 5;
        earlier.back()->allocChannel(1);
    }
    wb.scans.appendTail(std::move(earlier));
    fuzz::require(openScans(wb, path) == 1);
    const int after = wb.scans.count();
    const std::string head(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 77));
    const bool listRoute = firstWord(head) != "SIMPLE";
    fuzz::require(after >= before && (!listRoute || after <= 255));
    fuzz::require(after == before || (wb.activeScan && wb.scans.contains(wb.activeScan)));
    const bool reportedBad = !ui.messages.empty() && (ui.messages.back().text == "Header File is BAD" ||
                                                      ui.messages.back().text == "Data file is BAD");
    fuzz::require(reportedBad == (after == before && wb.interactiveMode));
    std::filesystem::remove(path);
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    std::string longLine = "a.001";
    longLine.resize(77, ' ');
    return {
        "a.001\t3.000[GHz]\r\nb.002\t2.800[GHz]\r\n",
        "a.001 1\r\nmissing.009\r\nsub\\c.003\r\n",
        longLine + "b.002\n\n   \nsub/c.003",
        "a.001\na.001\na.001\na.001\n",
        test::sampleShapeT(),
    };
}
