// Fuzz target: the bytes as a JASC palette file.
#include "files/card_reader.h"
#include "files/jasc_palette.h"
#include "tests/fuzz/fuzz_seeds.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ByteSource in(data, size);
    if (const auto colours = readJascPalette(in)) {
        fuzz::require(colours->size() == kPaletteSize);
        for (uint32_t c : *colours)
            fuzz::require(c <= 0x00ffffffu);
    }
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    std::string full = "JASC-PAL\r\n0100\r\n256\r\n";
    for (int i = 0; i < 256; ++i)
        full += std::to_string(i) + " " + std::to_string(i / 2) + " 7\r\n";
    return {full, "JASC-PAL\n0100\n256\n0 0 0\n1 1 1\n"};
}
