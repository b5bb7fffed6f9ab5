#pragma once
// A Workbench driven from the command line or a test: TextUi for the person,
// settings kept in memory (a tool run leaves the user's settings alone),
// batch mode (no question is ever asked) and every command registered.
#include "app/settings_store.h"
#include "app/workbench.h"
#include "cli/text_ui.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class HeadlessWorkbench {
public:
    // Output and error streams of the TextUi; null silences them.
    explicit HeadlessWorkbench(std::FILE* out = stdout, std::FILE* err = stderr);

    TextUi ui;
    MemorySettingsStore store;
    Workbench wb;

    // Loads one file as a workspace, else through openScans; true when it
    // added at least one scan. Why it did not (or loaded only in part) is
    // reported as errors.
    bool load(const std::string& path);
    // Reports the failures the core recorded since the last call as errors
    // on the TextUi.
    void reportFailures();
    // Adds scans made in memory and runs the steps that follow a load.
    void adopt(std::vector<std::unique_ptr<ScanRecord>> scans);
    // Worksheet save of every scan over all its points with step 1, to a
    // header file (or a FITS file, by its name). Binary samples unless
    // `textSamples`. True when the target file was written. The scans must
    // all have the same number of points.
    bool saveWorksheets(const std::string& path, bool textSamples = false);
    // Compressed workspace of the whole set; true when it was written.
    bool saveWorkspaceFile(const std::string& path);
};

} // namespace qm
