#pragma once
// Commands are data: one table lists every command id with its menu place,
// caption, hint and flags. The dispatcher, the GUI's menus and tool bar, the
// batch executor and the command catalogue all read this one table.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm {

class Workbench;

struct CommandInfo {
    int id = 0;
    std::string menuPath;  // "File > Save"; empty for tool bar, pop-up and internal ids
    std::string caption;   // menu text
    std::string hint;      // status-bar hint (string-table entry N); may be empty
    bool dataCommand = false; // enabled only while a set is loaded
    bool redraw = false;      // redraw request after the handler
    bool sync = false;        // active-scan synchronisation after the handler
    std::string batchName;    // plug-in items: their name in packets and scripts
};

using CommandHandler = std::function<void(Workbench&)>;

class CommandTable {
public:
    CommandTable(); // every command of the program, in menu order, no handlers
    const CommandInfo* info(int id) const;
    const std::vector<CommandInfo>& all() const { return infos_; }
    // Items added at run time (plug-ins) go after the built-in ones; an id
    // already in the table is not added again.
    bool add(CommandInfo c);
    void remove(int id);
    // Installs the handler of a command; an empty one removes it.
    void handle(int id, CommandHandler h)
    {
        if (h)
            handlers_[id] = std::move(h);
        else
            handlers_.erase(id);
    }
    const CommandHandler* handler(int id) const;

private:
    std::vector<CommandInfo> infos_;
    std::map<int, std::size_t> index_;
    std::map<int, CommandHandler> handlers_;
};

// The entries of the table in menu order (command_catalog.cpp).
const std::vector<CommandInfo>& commandCatalog();

// The 83 ids enabled only while a set is loaded.
bool isDataCommand(int id);

} // namespace qm
