#pragma once
// A workbench for the plug-in tests: scans of a ramp 100 + i in both
// channels, loaded through the load path.
#include "tests/app/scan_fixture.h"
#include "tests/support/temp_dir.h"

#include <initializer_list>

namespace qm::test {

struct PluginBench : Bench {
    void loadScans(std::initializer_list<float> frequencies, int n, float step = 1.0f)
    {
        std::vector<std::unique_ptr<ScanRecord>> v;
        for (float f : frequencies)
            v.push_back(makeScan(f, "2004/05/01", "05:00:00", n, true, true, step));
        load(std::move(v));
        wb.view.confirmAll = false;
        wb.viewBegin = 0;
        wb.viewEnd = n - 1;
    }
};

} // namespace qm::test
