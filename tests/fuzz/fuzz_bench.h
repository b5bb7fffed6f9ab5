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

    // No output folder: a report of a batch run is refused instead of
    // landing in the user's home.
    Bench() { wb.settings.output.clear(); }

    // Forgets what earlier inputs reported and picks the way this one
    // reports a refusal: a message box or the status line.
    Workbench& next(std::size_t size)
    {
        ui.messages.clear();
        ui.statuses.clear();
        ui.reports.clear();
        wb.interactiveMode = size % 2 == 0;
        return wb;
    }
};

} // namespace qm::fuzz
