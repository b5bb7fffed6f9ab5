#pragma once
// The "Script" menu of the menu bar: "Reload" (193) stays first; the script
// items and sub-menus follow the core's Script menu and are rebuilt when it
// changes.
#include <QObject>

#include <functional>
#include <vector>

class QMenu;

namespace qm {

class Workbench;
struct ScriptMenuItem;

class ScriptMenuView : public QObject {
    Q_OBJECT
public:
    ScriptMenuView(Workbench& wb, QMenu* scriptMenu, std::function<void(int)> dispatch, QObject* parent = nullptr);
    // Deletes every item but the first and adds the scripts again.
    void rebuild();

private:
    void fill(QMenu* menu, const std::vector<ScriptMenuItem>& items);
    Workbench& wb_;
    QMenu* menu_;
    std::function<void(int)> dispatch_;
};

} // namespace qm
