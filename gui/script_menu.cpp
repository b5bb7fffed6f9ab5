#include "gui/script_menu.h"

#include "app/workbench.h"
#include "batch/batch_state.h"

#include <QAction>
#include <QMenu>

namespace qm {

ScriptMenuView::ScriptMenuView(Workbench& wb, QMenu* scriptMenu, std::function<void(int)> dispatch, QObject* parent)
    : QObject(parent), wb_(wb), menu_(scriptMenu), dispatch_(std::move(dispatch))
{
    rebuild();
}

void ScriptMenuView::rebuild()
{
    if (!menu_)
        return;
    const QList<QAction*> actions = menu_->actions();
    for (qsizetype i = 1; i < actions.size(); ++i) {
        menu_->removeAction(actions[i]);
        if (QMenu* sub = actions[i]->menu())
            sub->deleteLater();
        actions[i]->deleteLater();
    }
    fill(menu_, batchState(wb_).scriptMenu.items);
}

void ScriptMenuView::fill(QMenu* menu, const std::vector<ScriptMenuItem>& items)
{
    for (const ScriptMenuItem& item : items) {
        const QString text = QString::fromStdString(item.text).replace("&", "&&");
        if (item.isSubMenu()) {
            fill(menu->addMenu(text), item.items);
            continue;
        }
        QAction* a = menu->addAction(text);
        a->setStatusTip("Run selected script file");
        a->setData(item.id);
        const int id = item.id;
        connect(a, &QAction::triggered, this, [this, id] { dispatch_(id); });
    }
}

} // namespace qm
