#pragma once
// The pop-up menu of the plot (right button released over it with a set
// loaded): the stored pop-up list, or the four array switches when the
// list is empty; items whose state is on carry a check mark.
#include <string>
#include <vector>

namespace qm {

class Workbench;

struct PopupMenuItem {
    int id = 0;
    std::string text;
    bool separator = false;
    bool checked = false;
    bool enabled = true; // false: the command has no handler, the item is greyed
};

// The items in order; none without a loaded set. Identifiers of the stored
// list that the command table does not know are left out.
std::vector<PopupMenuItem> popupMenuItems(const Workbench& wb);

// Whether the state behind a command is on: 179..182 the array switches,
// 135 the group view, 152 equal scale, 169 the full-scan window, 177 the
// local spectrum window.
bool popupItemChecked(const Workbench& wb, int id);

} // namespace qm
