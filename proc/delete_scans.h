#pragma once
// Delete (command 123): removes the active scan from the set, ONE mode only.
namespace qm {
class Workbench;
void deleteActiveScan(Workbench& wb);
} // namespace qm
