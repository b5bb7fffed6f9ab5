// Loading the plug-ins: each library is checked for the interface version
// before anything else of it runs, then builds its menu items through the
// menu handle. Items enter the command table only once InitSDllMenu returned.
#include "app/text_format.h"
#include "app/workbench.h"
#include "plugins/plugin_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

namespace qm {

namespace {

constexpr std::size_t kMaxHint = 130;

struct MenuContext {
    int base = 0;
    std::vector<std::string> popups{"Spec.Func"}; // handle -> menu path
    std::vector<CommandInfo> items;
};

struct MenuHandle {
    QmPluginMenu api; // first: the plug-in's pointer is this record's
    MenuContext* ctx;
};

MenuContext& contextOf(QmPluginMenu* self) { return *reinterpret_cast<MenuHandle*>(self)->ctx; }

int32_t appendPopup(QmPluginMenu* self, int32_t parent, const char* caption)
{
    MenuContext& m = contextOf(self);
    if (!caption || parent < 0 || static_cast<std::size_t>(parent) >= m.popups.size())
        return 0;
    m.popups.push_back(m.popups[static_cast<std::size_t>(parent)] + " > " + caption);
    return static_cast<int32_t>(m.popups.size() - 1);
}

int32_t appendItem(QmPluginMenu* self, int32_t popup, int32_t id, const char* caption, const char* hint,
                   const char* batchName)
{
    MenuContext& m = contextOf(self);
    const bool taken = std::any_of(m.items.begin(), m.items.end(), [id](const CommandInfo& c) { return c.id == id; });
    if (!caption || popup < 0 || static_cast<std::size_t>(popup) >= m.popups.size() || id <= m.base ||
        id > m.base + kPluginIdBlock || taken)
        return 0;
    CommandInfo c;
    c.id = id;
    c.menuPath = m.popups[static_cast<std::size_t>(popup)];
    c.caption = caption;
    c.hint = std::string(hint ? hint : "").substr(0, kMaxHint);
    c.batchName = batchName ? batchName : "";
    c.redraw = true;
    m.items.push_back(std::move(c));
    return 1;
}

std::string dlError()
{
    const char* e = dlerror();
    return e ? e : "unknown error";
}

} // namespace

std::pair<int, int> pluginSlot(int id)
{
    int local = id - kPluginIdBase, k = 0;
    while (local > kPluginIdBlock) {
        ++k;
        local -= kPluginIdBlock;
    }
    return {k, local};
}

std::string startupFolder(const std::string& programDir)
{
    return (std::filesystem::path(programDir) / "Startup").string();
}

PluginHost::~PluginHost()
{
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
        dlclose(it->handle);
}

void PluginHost::refuse(const std::string& file, const std::string& reason)
{
    refusals_.push_back(format("Plug-in %s not loaded: %s", file.c_str(), reason.c_str()));
    wb_.status(refusals_.back());
}

void PluginHost::load(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto& p = it->path();
        if (p.extension() == ".so" && it->is_regular_file(ec))
            names.push_back(p.filename().string());
    }
    std::sort(names.begin(), names.end()); // byte order: identifiers do not depend on the file system
    for (const std::string& name : names) {
        if (modules_.size() >= kMaxPlugins)
            break;
        loadOne((std::filesystem::path(folder) / name).string(), name);
    }
    if (!modules_.empty())
        wb_.commands().remove(kPluginIdBase);
}

bool PluginHost::loadOne(const std::string& path, const std::string& file)
{
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        refuse(file, dlError());
        return false;
    }
    auto drop = [&](const std::string& reason) {
        dlclose(h);
        refuse(file, reason);
        return false;
    };
    auto version = reinterpret_cast<QmPluginAbiVersionFn>(dlsym(h, "QmPluginAbiVersion"));
    if (!version)
        return drop("no QmPluginAbiVersion");
    int32_t v = 0;
    try {
        v = version();
    } catch (...) {
        return drop("QmPluginAbiVersion failed");
    }
    if (v != QM_PLUGIN_ABI_VERSION)
        return drop(format("interface version %d, not %d", static_cast<int>(v), QM_PLUGIN_ABI_VERSION));
    auto init = reinterpret_cast<QmInitSDllMenuFn>(dlsym(h, "InitSDllMenu"));
    if (!init)
        return drop("no InitSDllMenu");

    MenuContext ctx;
    ctx.base = kPluginIdBase + kPluginIdBlock * static_cast<int>(modules_.size());
    MenuHandle menu{{sizeof(QmPluginMenu), QM_PLUGIN_ABI_VERSION, appendPopup, appendItem}, &ctx};
    try {
        init(&menu.api, ctx.base); // its result is not looked at
    } catch (const std::exception& e) {
        return drop(format("InitSDllMenu failed: %s", e.what()));
    } catch (...) {
        return drop("InitSDllMenu failed");
    }
    PluginModule m;
    m.file = file;
    m.path = path;
    m.handle = h;
    m.select = reinterpret_cast<QmSelectDllFunctionFn>(dlsym(h, "SelectDllFunction"));
    modules_.push_back(std::move(m));
    for (CommandInfo& c : ctx.items)
        wb_.commands().add(std::move(c));
    return true;
}

std::shared_ptr<PluginHost> installPlugins(Workbench& wb, const std::string& folder)
{
    auto host = std::make_shared<PluginHost>(wb);
    host->load(folder);
    wb.pluginHook = [host](Workbench&, int id) { host->run(id); };
    return host;
}

} // namespace qm
