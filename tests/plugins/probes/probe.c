/* A plug-in in plain C for the loader tests: it records every call and
 * exposes the record through ProbeLog. Variants leave out an export or
 * report another interface version. */
#include "plugins/plugin_api.h"

#include <stdio.h>
#include <string.h>

#ifndef PROBE_VERSION
#define PROBE_VERSION QM_PLUGIN_ABI_VERSION
#endif

_Static_assert(sizeof(QmFormField) == sizeof(const char*) + QM_FORM_TEXT_SIZE, "form field");
_Static_assert(offsetof(SpecFuncBlock, nPoints) == 0 && offsetof(SpecFuncBlock, step) ==
                   offsetof(SpecFuncBlock, frequency) + 8,
               "block");

typedef struct ProbeCall {
    int32_t funcId, firstCall, nPoints, firstPoint, lastPoint, interactive;
    float frequency, noiseLevel, step, first;
    const void* data;
    const void* scan;
    char object[32];
} ProbeCall;

typedef struct ProbeLogT {
    int32_t menuResults[6]; /* appendItem answers, in order */
    int32_t calls;
    ProbeCall call[64];
    char form[6][QM_FORM_TEXT_SIZE];
    int32_t formAnswer, fileAnswer;
    char path[256];
} ProbeLogT;

static ProbeLogT g_log;

QM_PLUGIN_EXPORT ProbeLogT* ProbeLog(void);
ProbeLogT* ProbeLog(void) { return &g_log; }

#ifndef PROBE_NO_VERSION
QM_PLUGIN_EXPORT int32_t QmPluginAbiVersion(void) { return PROBE_VERSION; }
#endif

#ifndef PROBE_NO_MENU
int32_t InitSDllMenu(QmPluginMenu* menu, int32_t base)
{
    int32_t popup = menu->appendPopup(menu, 0, "Probe");
    int32_t inner = menu->appendPopup(menu, popup, "Inner");
    g_log.menuResults[0] = menu->appendItem(menu, popup, base + 11, "Record", "Records the call", "ProbeRecord");
    g_log.menuResults[1] = menu->appendItem(menu, inner, base + 12, "Ask", "Asks", "ProbeAsk");
    g_log.menuResults[2] = menu->appendItem(menu, popup, base + 100, "Last", "", "");
    g_log.menuResults[3] = menu->appendItem(menu, popup, base + 101, "Outside", "", "ProbeOutside");
    g_log.menuResults[4] = menu->appendItem(menu, popup, base, "Base", "", "ProbeBase");
    g_log.menuResults[5] = menu->appendItem(menu, popup, base + 13, "Clash", "", "Load");
    return 1;
}
#endif

#ifndef PROBE_NO_SELECT
int32_t SelectDllFunction(QmHostServices* host, SpecFuncBlock* b)
{
    ProbeCall* c = &g_log.call[g_log.calls < 63 ? g_log.calls++ : 63];
    int i;
    c->funcId = b->funcId;
    c->firstCall = b->firstCall;
    c->nPoints = b->nPoints;
    c->firstPoint = b->firstPoint;
    c->lastPoint = b->lastPoint;
    c->interactive = host->interactive;
    c->frequency = b->frequency;
    c->noiseLevel = b->noiseLevel;
    c->step = b->step;
    c->first = b->data[0];
    c->data = b->data;
    c->scan = b->scan;
    snprintf(c->object, sizeof c->object, "%s", b->object);
    if (b->mainWindow != host)
        c->funcId = -1;
    b->firstCall = 0;
    for (i = 0; i < b->nPoints; ++i)
        b->data[i] += 1.0f;
    if (b->funcId == 12 && !b->resultText) {
        QmFormField f[6] = {{"a", "t0"}, {"b", "t1"}, {"c", "t2"}, {"d", "t3"}, {"e", "t4"}, {"f", "t5"}};
        g_log.formAnswer = host->askForm(host, "Probe form", f, 6, "Probe Help", "help text");
        for (i = 0; i < 6; ++i)
            memcpy(g_log.form[i], f[i].text, QM_FORM_TEXT_SIZE);
        g_log.fileAnswer = host->askOpenFile(host, "Probe file", "Tables|*.cta;|Any|*.*", "/tmp", g_log.path,
                                             sizeof g_log.path);
        host->message(host, "Probe", "probe says hello");
        b->resultText = host->allocText(host, 16);
        strcpy(b->resultText, "probe result");
        strcpy(b->resultTitle, "ProbeReport");
    }
    return 1;
}
#endif
