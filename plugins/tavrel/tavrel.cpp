// The tavrel plug-in: "Spec.Func > Correct > Calibr Tb" multiplies a whole
// worksheet by the factor that a text table (lines "frequency factor")
// gives for the scan's frequency. The table is read again on every call, so
// each scan of a run gets the factor of its own frequency.
#include "plugins/plugin_api.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kCorrect = 11;
constexpr std::size_t kPathSize = 256;
constexpr int kLineSize = 256; // lines are read 255 characters at a time

char g_path[kPathSize] = "";

// The folder this library was loaded from: the program's Startup folder.
std::string ownFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ownFolder), &info) || !info.dli_fname)
        return {};
    std::string p = info.dli_fname;
    const std::size_t cut = p.find_last_of('/');
    return cut == std::string::npos ? std::string() : p.substr(0, cut);
}

// The factor of the first line whose frequency, as a float, is `frequency`.
bool tableFactor(const char* path, float frequency, float& factor)
{
    std::FILE* f = std::fopen(path, "r");
    if (!f)
        return false;
    char line[kLineSize];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) {
        float freq, k;
        if (std::sscanf(line, "%f %f", &freq, &k) == 2 && freq == frequency) {
            factor = k;
            found = true;
        }
    }
    std::fclose(f);
    return found;
}

void correct(QmHostServices* host, SpecFuncBlock* b)
{
    if (b->firstCall) {
        b->firstCall = 0;
        const std::string folder = ownFolder();
        if (!host || !host->askOpenFile ||
            !host->askOpenFile(host, "Open", "Correct Ta Files|*.cta;|Any Files|*.*", folder.c_str(), g_path,
                               kPathSize)) {
            g_path[0] = 0;
            return;
        }
    }
    if (!g_path[0] || !b->data || b->nPoints <= 0)
        return;
    float factor = 0;
    if (!tableFactor(g_path, b->frequency, factor) || !std::isfinite(factor)) {
        char text[kPathSize + 64];
        std::snprintf(text, sizeof text, "No correction factor for %.3f GHz in %s", double(b->frequency), g_path);
        if (host && host->message)
            host->message(host, "Information", text);
        return;
    }
    for (int i = 0; i < b->nPoints; ++i)
        b->data[i] *= factor;
}

} // namespace

extern "C" {

QM_PLUGIN_EXPORT int32_t QmPluginAbiVersion(void) { return QM_PLUGIN_ABI_VERSION; }

QM_PLUGIN_EXPORT int32_t InitSDllMenu(QmPluginMenu* menu, int32_t commandBase)
{
    if (!menu || !menu->appendPopup || !menu->appendItem)
        return 0;
    const int32_t popup = menu->appendPopup(menu, 0, "Correct");
    return popup > 0 && menu->appendItem(menu, popup, commandBase + kCorrect, "Calibr Tb", "Correct Ta Sun",
                                         "TavrelCalibrTb");
}

QM_PLUGIN_EXPORT int32_t SelectDllFunction(QmHostServices* host, SpecFuncBlock* block)
{
    if (!block || block->funcId != kCorrect)
        return 0;
    try {
        correct(host, block);
    } catch (...) {
        // nothing escapes into the host
    }
    return 1;
}

} // extern "C"
