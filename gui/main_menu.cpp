#include "gui/main_menu.h"

#include "app/app_commands.h"
#include "app/workbench.h"
#include "plugins/plugin_host.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace qm {

namespace {

constexpr int kCallProgram = 157;

// Menu texts are shown literally: '&' would otherwise mark a shortcut.
QString menuText(const std::string& s)
{
    return QString::fromStdString(s).replace("&", "&&");
}

} // namespace

MainMenu::MainMenu(Workbench& wb, QMenuBar* bar, std::function<void(int)> dispatch)
    : QObject(bar), wb_(wb), bar_(bar), dispatch_(std::move(dispatch))
{
    for (const char* top : kTopMenus)
        menuFor(top);
    for (const CommandInfo& c : wb_.commands().all()) {
        if (c.menuPath.empty())
            continue;
        QMenu* m = menuFor(QString::fromStdString(c.menuPath));
        QAction* a = m->addAction(menuText(c.caption));
        a->setStatusTip(QString::fromStdString(c.hint));
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { dispatch_(id); });
        actions_[id] = a;
    }
    refresh();
}

QMenu* MainMenu::menuFor(const QString& path)
{
    if (auto it = menus_.find(path); it != menus_.end())
        return it->second;
    const qsizetype cut = path.lastIndexOf(" > ");
    QMenu* m = nullptr;
    if (cut < 0) {
        m = bar_->addMenu(path);
    } else {
        m = menuFor(path.left(cut))->addMenu(path.mid(cut + 3));
    }
    m->setObjectName(path);
    menus_[path] = m;
    return m;
}

QAction* MainMenu::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainMenu::menu(const QString& path) const
{
    auto it = menus_.find(path);
    return it == menus_.end() ? nullptr : it->second;
}

void MainMenu::refresh()
{
    for (auto& [id, a] : actions_) {
        // A command without a handler is greyed rather than a silent no-op;
        // plug-in items run through the plug-in hook instead of a handler.
        const bool runs = id > kPluginIdBase ? static_cast<bool>(wb_.pluginHook) : wb_.commands().handler(id) != nullptr;
        a->setEnabled(wb_.isEnabled(id) && runs);
        // Only items that carry a check mark show one; the rest stay plain.
        const bool checked = wb_.isChecked(id);
        a->setCheckable(checked);
        a->setChecked(checked);
    }
    if (QAction* run = action(kCallProgram))
        run->setText(menuText(extProgramMenuText(wb_.settings)));
    // "Spec.Func" and "Script" follow the data commands.
    for (const char* top : {"Spec.Func", "Script"})
        menus_.at(top)->menuAction()->setEnabled(wb_.dataMenusEnabled);
}

} // namespace qm
