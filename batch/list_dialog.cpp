#include "batch/list_dialog.h"

#include "app/command_table.h"
#include "app/settings.h"
#include "app/workbench.h"
#include "batch/list_command_table.h"

namespace qm {

namespace {

constexpr int kQuickListButton = 149;

} // namespace

ListDialog::ListDialog(ListKind kind, const std::vector<int>& current, const CommandTable* commands) : kind_(kind)
{
    const auto available = [commands](int id) {
        return !commands || id == kSeparatorId || commands->handler(id) != nullptr;
    };
    const auto& table = listCommandTable();
    const std::size_t first = kind == ListKind::QuickList ? kQuickListFirstEntry : 0;
    for (std::size_t i = first; i < table.size(); ++i)
        offered_.push_back({table[i].name, table[i].id, available(table[i].id)});
    for (int id : current)
        if (const char* name = listCommandName(id))
            chosen_.push_back({name, id, available(id)});
    removeEnabled_ = !chosen_.empty();
}

const char* ListDialog::caption() const
{
    return kind_ == ListKind::QuickList ? kQuickListCaption : kPopUpListCaption;
}

void ListDialog::add(int offeredIndex)
{
    if (static_cast<int>(chosen_.size()) >= kListCapacity) {
        addEnabled_ = false;
        return;
    }
    if (offeredIndex < 0 || offeredIndex >= static_cast<int>(offered_.size()) ||
        !offered_[static_cast<std::size_t>(offeredIndex)].enabled)
        return;
    chosen_.push_back(offered_[static_cast<std::size_t>(offeredIndex)]);
    removeEnabled_ = true;
    if (static_cast<int>(chosen_.size()) == kListCapacity)
        addEnabled_ = false;
}

void ListDialog::remove(int chosenIndex)
{
    if (chosenIndex < 0 || chosenIndex >= static_cast<int>(chosen_.size()))
        return;
    const bool wasFull = static_cast<int>(chosen_.size()) == kListCapacity;
    chosen_.erase(chosen_.begin() + chosenIndex);
    if (wasFull)
        addEnabled_ = true;
    if (chosen_.empty())
        removeEnabled_ = false;
}

void ListDialog::ok() { outcome_ = Outcome::Ok; }
void ListDialog::reset()
{
    chosen_.clear();
    outcome_ = Outcome::Reset;
}
void ListDialog::cancel() { outcome_ = Outcome::Cancel; }

std::vector<int> ListDialog::chosenIds() const
{
    std::vector<int> ids;
    for (const Entry& e : chosen_)
        ids.push_back(e.id);
    return ids;
}

void applyListDialog(Workbench& wb, const ListDialog& dialog)
{
    const bool ok = dialog.outcome() == ListDialog::Outcome::Ok && !dialog.chosen().empty();
    const bool reset = dialog.outcome() == ListDialog::Outcome::Reset;
    if (!ok && !reset)
        return;
    const std::vector<int> ids = ok ? dialog.chosenIds() : std::vector<int>{};
    const bool quick = dialog.kind() == ListKind::QuickList;
    (quick ? wb.settings.commandList : wb.settings.popUpMenu) = ids;
    writeSetting(wb.store(), wb.settings, quick ? SettingId::CommandList : SettingId::PopUpMenu);
    if (quick) // the button needs a set to work on, like every data command
        wb.setEnabled(kQuickListButton, ok && wb.setLoaded);
    wb.ui().stateChanged();
}

void editCommandList(Workbench& wb, ListKind kind)
{
    if (!wb.interactiveMode)
        return;
    ListDialog dialog(kind, kind == ListKind::QuickList ? wb.settings.commandList : wb.settings.popUpMenu,
                      &wb.commands());
    wb.ui().listDialog(dialog);
    applyListDialog(wb, dialog);
}

} // namespace qm
