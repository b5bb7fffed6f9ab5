#pragma once
// The quick command list: tool bar button 149 runs the stored identifiers
// in order, each as if chosen from the menu.
namespace qm {

class Workbench;

// Runs the list; a 149 inside the list is not run again.
void runQuickList(Workbench& wb);

} // namespace qm
