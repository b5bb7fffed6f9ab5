#pragma once
// A workbench with a scripted user interface and settings held in memory,
// for fuzz targets.
#include "app/settings_store.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"

namespace qm::fuzz {

struct Bench {
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
};

} // namespace qm::fuzz
