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

const CommandHandler* CommandTable::handler(int id) const
{
    auto it = handlers_.find(id);
    return it == handlers_.end() ? nullptr : &it->second;
}

} // namespace qm
