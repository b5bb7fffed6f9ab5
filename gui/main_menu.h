#pragma once
// The menu bar built from the command table: the eight top menus, sub-menus
// from each command's menu path ("File > Save" is the sub-menu "Save" of
// "File"), captions and status hints as the table gives them.
#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QAction;
class QMenu;
class QMenuBar;

namespace qm {

class Workbench;

class MainMenu : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kTopMenus[] = {"File", "Scan", "Transform", "Calc",
                                                "View", "Spec.Func", "Script", "Help"};

    MainMenu(Workbench& wb, QMenuBar* bar, std::function<void(int)> dispatch);
    // Enabled and checked states and the text of item 157 from the core.
    void refresh();

    QAction* action(int id) const;
    QMenu* menu(const QString& path) const; // "File" or "File > Save"

private:
    QMenu* menuFor(const QString& path);
    Workbench& wb_;
    QMenuBar* bar_;
    std::function<void(int)> dispatch_;
    std::map<QString, QMenu*> menus_;
    std::map<int, QAction*> actions_;
};

} // namespace qm
