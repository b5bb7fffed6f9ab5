#include "batch/popup_menu.h"

#include "app/workbench.h"
#include "batch/list_command_table.h"

namespace qm {

bool popupItemChecked(const Workbench& wb, int id)
{
    switch (id) {
    case 179: return wb.chkDataI;
    case 180: return wb.chkDataV;
    case 181: return wb.chkWrkI;
    case 182: return wb.chkWrkV;
    case 135: return wb.groupMode != 0;
    case 152: return wb.view.equalScale;
    case 169: return wb.view.fullScanWindow;
    case 177: return wb.view.localGraph;
    default: return false;
    }
}

std::vector<PopupMenuItem> popupMenuItems(const Workbench& wb)
{
    std::vector<PopupMenuItem> items;
    if (!wb.setLoaded)
        return items;
    std::vector<int> ids = wb.settings.popUpMenu;
    if (ids.empty())
        ids = {179, 181, 180, 182};
    for (int id : ids) {
        const char* name = listCommandName(id);
        if (!name)
            continue;
        PopupMenuItem item;
        item.id = id;
        item.separator = id == kSeparatorId;
        if (!item.separator) {
            item.text = name;
            item.checked = popupItemChecked(wb, id);
            item.enabled = wb.commands().handler(id) != nullptr;
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace qm
