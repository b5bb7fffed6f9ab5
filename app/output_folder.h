#pragma once
// The folder results are written to: the "Output" setting (or a packet's
// OutDir while it runs), created on first use.
#include <optional>
#include <string>

namespace qm {

class Workbench;

// The output folder, created with its parents when missing. nullopt when it
// is empty, is not a folder or cannot be created; the reason is then
// recorded with Workbench::fail, so every writer says the same thing.
std::optional<std::string> outputFolder(Workbench& wb);

// The same check for any folder a writer is about to write into; the error
// text is empty on success.
std::string prepareFolder(const std::string& folder);

} // namespace qm
