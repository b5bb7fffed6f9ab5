// Fuzz target: a workspace file (uncompressed or compressed) restored from
// memory into an empty workbench.
#include "app/byte_order.h"
#include "files/workspace_file.h"
#include "files/workspace_image.h"
#include "tests/fuzz/fuzz_bench.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <cstdio>

using namespace qm;

namespace {

void checkLoadedSet(const Workbench& wb)
{
    fuzz::require(wb.setLoaded && !wb.scans.empty() && wb.scans.count() <= kMaxScans);
    fuzz::require(wb.activeScan && wb.scans.contains(wb.activeScan));
    fuzz::require(wb.viewBegin >= 0 && wb.viewBegin <= wb.viewEnd && wb.viewEnd < wb.activeScan->nPoints);
    fuzz::require(wb.groupScans.size() <= std::size_t(kStoredGroupMembers));
    for (const ScanRecord* g : wb.groupScans)
        fuzz::require(wb.scans.contains(g));
    for (const auto& r : wb.scans) {
        const std::size_t block = 2 * std::size_t(r->nPoints) + 2;
        fuzz::require(r->nPoints >= 1 && r->nPoints <= kMaxPoints && (r->hasI() || r->hasV()));
        fuzz::require((!r->hasI() || r->chanI.size() == block) && (!r->hasV() || r->chanV.size() == block));
        if (!r->gauss.empty()) {
            const float k = r->gauss[0];
            fuzz::require(k >= 0 && k < 16 && r->gauss[2] < 0 && r->gauss.size() >= 4 * std::size_t(k) + 4);
        }
    }
}

// A small set: both channels with a Gaussian table, channel 2 alone, and
// channel 1 alone with a table in the older three-float layout.
std::vector<uint8_t> sampleImage()
{
    fuzz::Bench h;
    std::vector<std::unique_ptr<ScanRecord>> chain;
    for (int i = 0; i < 3; ++i) {
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = int16_t(6 + i);
        r->frequency = 2.5f + float(i);
        std::snprintf(r->dateObs, sizeof r->dateObs, "2004/05/0%d", i + 1);
        if (i != 1)
            r->allocChannel(1);
        if (i != 2)
            r->allocChannel(2);
        for (auto* b : {&r->chanI, &r->chanV})
            for (std::size_t j = 0; j < b->size(); ++j)
                (*b)[j] = float(j) * 0.5f - float(i);
        if (i == 0)
            r->gauss = {2, 1, -1, 5, 1.5f, 2, 0, -3, 2, 4, 0.5f, 0};
        chain.push_back(std::move(r));
    }
    h.wb.scans.appendTail(std::move(chain));
    h.wb.afterLoad({});
    h.wb.groupScans = {h.wb.scans.at(2), h.wb.scans.at(0)};
    h.wb.setGroupView(3);
    h.wb.view.mainTitle = "fuzz";
    return encodeWorkspace(h.wb).value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static fuzz::Bench h;
    if (restoreWorkspace(h.wb, std::vector<uint8_t>(data, data + size))) {
        checkLoadedSet(h.wb);
        h.wb.closeSet(false);
    } else {
        fuzz::require(h.wb.scans.empty() && !h.wb.setLoaded); // nothing half-loaded
    }
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    const auto image = sampleImage();
    auto old = image;
    // Last scan (channel 1 only): add an older-layout table behind it.
    const std::size_t lastEntry = old.size() - kRecordBytes - (2 * 8 + 2) * 4;
    old[lastEntry + 16] = 1;
    const float table[] = {1, 1, 0, 7, 1, 3, 0.25f};
    for (float f : table) {
        uint8_t b[4];
        putF32LE(b, f);
        old.insert(old.end(), b, b + 4);
    }
    auto asText = [](const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); };
    return {asText(image), asText(packWorkspace(image)), asText(old), asText(packWorkspace(old))};
}
