// A C++ plug-in that throws: from SelectDllFunction after changing the
// array, or already from InitSDllMenu.
#include "plugins/plugin_api.h"

#include <stdexcept>

extern "C" {

QM_PLUGIN_EXPORT int32_t QmPluginAbiVersion(void) { return QM_PLUGIN_ABI_VERSION; }

QM_PLUGIN_EXPORT int32_t InitSDllMenu(QmPluginMenu* menu, int32_t base)
{
    const int32_t popup = menu->appendPopup(menu, 0, "Thrower");
    menu->appendItem(menu, popup, base + 11, "Throw", "Throws", "ProbeThrow");
#ifdef PROBE_THROW_IN_MENU
    throw std::runtime_error("menu failure");
#endif
    return 1;
}

QM_PLUGIN_EXPORT int32_t SelectDllFunction(QmHostServices*, SpecFuncBlock* b)
{
    for (int i = 0; i < b->nPoints; ++i)
        b->data[i] = -999.0f;
    throw std::runtime_error("probe failure");
}

}
