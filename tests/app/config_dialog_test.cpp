#include "app/config_dialog.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::FakeUi;

TEST(ConfigDialog, ZeroFluxCoefficientAtStartupCannotBeCancelled)
{
    FakeUi ui;
    MemorySettingsStore store;
    store.values = {{"KoefFlux", "0"}, {"LastDir", "/data/2004"}};
    Workbench wb(ui, store, "/opt/qm");
    ui.configAnswers = {std::nullopt, std::nullopt}; // two Cancels, then OK as shown
    runStartupCheck(wb);

    ASSERT_EQ(ui.configShown.size(), 3u);
    for (bool allowed : ui.configCancelAllowed)
        EXPECT_FALSE(allowed);
    EXPECT_EQ(store.values["KoefFlux"], " 1.000e+00");
    // Stored values not in the dialog stay, dialog values are in force.
    EXPECT_EQ(wb.settings.lastDir, "/data/2004");
    EXPECT_EQ(wb.settings.koefFlux, 1.0f);
    EXPECT_FALSE(startupNeedsConfig(store));

    // In a batch run no dialog is shown.
    FakeUi batchUi;
    MemorySettingsStore batchStore;
    batchStore.values = {{"KoefFlux", "0"}};
    Workbench batch(batchUi, batchStore, "/opt/qm");
    batch.interactiveMode = false;
    runStartupCheck(batch);
    EXPECT_TRUE(batchUi.configShown.empty());
}
