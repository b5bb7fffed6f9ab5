#pragma once
// A workbench with every command wired, a program folder of its own holding
// the command catalogue, and a user interface that records what packets,
// lists and scripts show.
#include "app/program_folder.h"
#include "app/workbench.h"
#include "batch/batch_state.h"
#include "batch/list_dialog.h"
#include "files/scan_writer.h"
#include "files/workspace_file.h"
#include "tests/app/scan_fixture.h"
#include "tests/support/temp_dir.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace qm::test {

class BatchUi : public FakeUi {
public:
    std::vector<std::string> tips;
    int exits = 0, menuChanges = 0, listDialogs = 0;
    std::vector<bool> windowShown;
    std::function<void(ListDialog&)> onListDialog;

    void batchTip(const std::string& tip) override { tips.push_back(tip); }
    void showMainWindow(bool shown) override { windowShown.push_back(shown); }
    void exitProgram() override { ++exits; }
    void scriptMenuChanged() override { ++menuChanges; }
    void listDialog(ListDialog& d) override
    {
        ++listDialogs;
        if (onListDialog)
            onListDialog(d);
    }
    // Every question the core put to the person.
    std::size_t questions() const { return messages.size() + prompts.size() + fileDialogs.size(); }
};

// The catalogue shipped with the program (copied beside the test binaries).
inline std::string shippedCatalogue() { return programFolder() + "/CommPack.dat"; }

struct BatchBench {
    TempDir home{"qm-batch"};
    BatchUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, home.path().string()};

    BatchBench()
    {
        std::filesystem::copy_file(shippedCatalogue(), home.file("CommPack.dat"));
        wb.settings.output = home.file("out");
        std::filesystem::create_directories(wb.settings.output);
        registerAllCommands(wb);
    }
    std::string operator/(const std::string& name) const { return home.file(name); }

    // Records the command numbers dispatched (with the batch title) instead
    // of running them.
    std::vector<std::pair<int, std::string>> seen;
    void record(std::initializer_list<int> ids)
    {
        for (int id : ids)
            wb.commands().handle(id, [this, id](Workbench& w) { seen.emplace_back(id, w.batchTitle); });
    }
    // Loads scans made in memory like a reader.
    void load(std::vector<std::unique_ptr<ScanRecord>> scans)
    {
        for (auto& s : scans)
            wb.scans.pushHead(std::move(s));
        wb.afterLoad(home.file("set.0hd"));
    }
};

// Writes a set of scans as a header file with its data files (binary
// samples), or as a workspace when the name ends in ".wsf".
inline void writeScanFile(const std::string& path, const std::vector<float>& frequencies)
{
    const int points = 60;
    FakeUi ui;
    MemorySettingsStore store;
    Workbench wb(ui, store, ".");
    wb.interactiveMode = false;
    for (float f : frequencies) {
        auto r = makeScan(f, "2005/07/14", "08:30:15", points);
        r->radius = 10;
        r->centerPoint = static_cast<float>(points) / 2;
        wb.scans.pushHead(std::move(r));
    }
    wb.afterLoad(path);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (path.size() > 4 && path.substr(path.size() - 4) == ".wsf") {
        ASSERT_TRUE(saveWorkspace(wb, 1, path));
        return;
    }
    wb.allMode = true;
    wb.viewBegin = 0;
    wb.viewEnd = points;
    wb.batchArgs = {0, 0, 1, 0};
    ASSERT_TRUE(saveScans(wb, SaveWhich::Worksheet, path));
}

} // namespace qm::test
