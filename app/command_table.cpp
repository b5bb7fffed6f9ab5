#include "app/command_table.h"

namespace qm {

CommandTable::CommandTable() : infos_(commandCatalog())
{
    for (std::size_t i = 0; i < infos_.size(); ++i)
        index_[infos_[i].id] = i;
}

const CommandInfo* CommandTable::info(int id) const
{
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &infos_[it->second];
}

bool CommandTable::add(CommandInfo c)
{
    if (index_.count(c.id))
        return false;
    index_[c.id] = infos_.size();
    infos_.push_back(std::move(c));
    return true;
}

void CommandTable::remove(int id)
{
    auto it = index_.find(id);
    if (it == index_.end())
        return;
    infos_.erase(infos_.begin() + static_cast<std::ptrdiff_t>(it->second));
    index_.clear();
    for (std::size_t i = 0; i < infos_.size(); ++i)
        index_[infos_[i].id] = i;
    handlers_.erase(id);
}

const CommandHandler* CommandTable::handler(int id) const
{
    auto it = handlers_.find(id);
    return it == handlers_.end() ? nullptr : &it->second;
}

} // namespace qm
