#pragma once
// FITS images written by the tests and a workbench with every command.
#include "app/byte_order.h"
#include "app/workbench.h"
#include "files/fits_layer.h"
#include "tests/app/scan_fixture.h"
#include "wiring/all_commands.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace qm::test {

// A primary image of W x H samples (row 0 first) stored with `bitpix`; the
// extra cards are set after the mandatory ones.
inline void writeImage(const std::string& path, int w, int h, int bitpix, const std::vector<double>& stored,
                       const std::function<void(TFitsHdr&)>& cards = {}, int naxis = 2)
{
    TFitsHdr hdr;
    hdr.create();
    hdr.setInteger("BITPIX", bitpix);
    hdr.setInteger("NAXIS", naxis);
    hdr.setInteger("NAXIS1", w);
    hdr.setInteger("NAXIS2", h);
    if (naxis == 3)
        hdr.setInteger("NAXIS3", 1);
    if (cards)
        cards(hdr);
    std::vector<uint8_t> bytes = hdr.render();
    const std::size_t at = bytes.size(), size = std::abs(bitpix) / 8;
    bytes.resize(at + fitsBlocks(stored.size() * size), 0);
    for (std::size_t k = 0; k < stored.size(); ++k) {
        uint8_t* p = bytes.data() + at + k * size;
        if (bitpix == 16)
            putI16BE(p, static_cast<int16_t>(stored[k]));
        else if (bitpix == -32)
            putF32BE(p, static_cast<float>(stored[k]));
        else
            putF64BE(p, stored[k]);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

struct FitsBench : Bench {
    FitsBench() { registerAllCommands(wb); }
};

} // namespace qm::test
