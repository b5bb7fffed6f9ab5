#pragma once
// The plug-in host: loads the shared libraries of the Startup folder, puts
// their items into the command table (menu "Spec.Func", catalogue names) and
// runs the chosen item over the target scans, one call per channel.
#include "plugins/plugin_api.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm {

class Workbench;

inline constexpr int kMaxPlugins = 20;
inline constexpr int kPluginIdBase = 10000; // "Spec.Func: None"
inline constexpr int kPluginIdBlock = 100;

struct PluginModule {
    std::string file, path;
    void* handle = nullptr;
    QmSelectDllFunctionFn select = nullptr; // null: the module lacks it
};

// Plug-in slot k and local number 1..100 of an identifier above 10000.
std::pair<int, int> pluginSlot(int id);

// The folder the plug-ins are loaded from: programDir/Startup.
std::string startupFolder(const std::string& programDir);

class PluginHost {
public:
    explicit PluginHost(Workbench& wb) : wb_(wb) {}
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads every regular *.so of the folder in byte order of the names, at
    // most kMaxPlugins; refusals are reported on the status line.
    void load(const std::string& folder);
    const std::vector<PluginModule>& modules() const { return modules_; }
    // One line per refused file, "Plug-in <file> not loaded: <reason>".
    const std::vector<std::string>& refusals() const { return refusals_; }

    // The run of a plug-in item over the targets (a command above 10000).
    void run(int id);

    // Services handed to the plug-in during a run (host_services.cpp).
    char* allocText(std::size_t size);
    Workbench& workbench() { return wb_; }

private:
    bool loadOne(const std::string& path, const std::string& file);
    void refuse(const std::string& file, const std::string& reason);
    bool callPlugin(const PluginModule& m, QmHostServices* host, SpecFuncBlock& b, std::string& error);
    // The text a plug-in left in the record, when it came from allocText.
    const char* resultOf(const SpecFuncBlock& b) const;
    Workbench& wb_;
    std::vector<PluginModule> modules_;
    std::vector<std::string> refusals_;
    std::vector<std::pair<std::unique_ptr<char[]>, std::size_t>> texts_; // this run's allocations
};

// Loads the plug-ins of `folder` for the workbench: their items enter the
// command table, "None" leaves it when any loaded, and the workbench's
// plug-in hook runs them. The host lives as long as that hook.
std::shared_ptr<PluginHost> installPlugins(Workbench& wb, const std::string& folder);

// The services record of a run: the host's answers to a plug-in's questions.
struct HostServicesHandle {
    QmHostServices api; // first: the plug-in's pointer is this record's
    PluginHost* host;
};
HostServicesHandle makeHostServices(PluginHost& host, bool interactive);

// Names the plug-in and function on stderr if the process dies of a signal
// while the guard lives; the previous handlers come back afterwards.
class CrashNote {
public:
    CrashNote(const std::string& path, const char* function);
    ~CrashNote();
    CrashNote(const CrashNote&) = delete;
    CrashNote& operator=(const CrashNote&) = delete;
};

} // namespace qm
