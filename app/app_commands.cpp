// PLACEHOLDER: replaced by the dispatcher work.
#include "app/app_commands.h"
#include "app/command_table.h"
namespace qm { void registerAppCommands(CommandTable&) {} }
