/* The binary interface between Quillmar and its plug-ins: plain C, the only
 * header of the program a plug-in includes. A plug-in is a shared library in
 * the Startup folder beside the program that exports the three functions
 * declared at the end. The host hands it a menu handle to add its items to
 * the "Spec.Func" menu and, for every channel of every target scan, a call
 * record whose data array the plug-in changes in place. */
#ifndef QUILLMAR_PLUGIN_API_H
#define QUILLMAR_PLUGIN_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QM_PLUGIN_ABI_VERSION 1
#define QM_FORM_TEXT_SIZE 64

#if defined(_WIN32)
#define QM_PLUGIN_EXPORT __declspec(dllexport)
#else
#define QM_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

/* The menu handle given to InitSDllMenu. */
typedef struct QmPluginMenu QmPluginMenu;
struct QmPluginMenu {
    uint32_t structSize;
    uint32_t abiVersion;
    /* A new pop-up under `parent` (0 is "Spec.Func"); its handle (> 0), or 0
     * when it cannot be made. */
    int32_t (*appendPopup)(QmPluginMenu* self, int32_t parent, const char* caption);
    /* An item with identifier `id` (command base + 1 ... command base + 100)
     * in `popup`, its status-bar hint and its one-word name in packets and
     * scripts. 1 when added, 0 when refused. */
    int32_t (*appendItem)(QmPluginMenu* self, int32_t popup, int32_t id, const char* caption,
                          const char* hint, const char* batchName);
};

/* One labelled text field of a parameter form. */
typedef struct QmFormField {
    const char* label;
    char text[QM_FORM_TEXT_SIZE];
} QmFormField;

/* The window handle and host instance: the services a plug-in may use
 * during SelectDllFunction. While `interactive` is 0 nothing waits for a
 * person: forms are answered from the batch arguments and file questions
 * with the batch command's title. */
typedef struct QmHostServices QmHostServices;
struct QmHostServices {
    uint32_t structSize;
    uint32_t abiVersion;
    int32_t interactive;
    /* A modal form; 1 = OK (texts filled in), 0 = Cancel. */
    int32_t (*askForm)(QmHostServices* self, const char* title, QmFormField* fields, int32_t count,
                       const char* helpCaption, const char* helpText);
    /* An open-file question; filters are "Name|pattern|Name|pattern". The
     * chosen path goes to `path` (pathSize bytes with the terminating 0).
     * 1 = chosen, 0 = cancelled. */
    int32_t (*askOpenFile)(QmHostServices* self, const char* title, const char* filters,
                           const char* initialDir, char* path, size_t pathSize);
    /* Zero-filled memory the host releases: the only valid resultText. */
    char* (*allocText)(QmHostServices* self, size_t size);
    void (*message)(QmHostServices* self, const char* caption, const char* text);
};

/* The call record. Fields up to `data` and `scan` are refreshed for every
 * call; firstCall, resultText and resultTitle are set once per run, so what a
 * plug-in leaves there is seen by its later calls of the same run. */
typedef struct SpecFuncBlock {
    int32_t nPoints;
    int32_t firstPoint; /* first point of the shown part */
    int32_t lastPoint;  /* last point of the shown part */
    int32_t funcId;     /* local number of the chosen item */
    int32_t firstCall;  /* 1 before the run's first call; the plug-in clears it */
    const char* object;
    const char* dateObs;
    const char* timeObs;
    float frequency; /* GHz */
    float noiseLevel;
    float step; /* X units between points */
    float* data; /* the channel's worksheet, nPoints values */
    QmHostServices* mainWindow;
    char* resultText; /* from allocText: shown after the run */
    char resultTitle[64];
    const void* scan;
} SpecFuncBlock;

#ifdef __cplusplus
#define QM_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define QM_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, object) == 20, "object");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, frequency) == 32, "frequency");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, data) == 44, "data");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, mainWindow) == 48, "mainWindow");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, resultText) == 52, "resultText");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, resultTitle) == 56, "resultTitle");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, scan) == 120, "scan");
QM_STATIC_ASSERT(sizeof(SpecFuncBlock) == 124, "size");
#else
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, object) == 24, "object");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, frequency) == 48, "frequency");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, data) == 64, "data");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, mainWindow) == 72, "mainWindow");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, resultText) == 80, "resultText");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, resultTitle) == 88, "resultTitle");
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, scan) == 152, "scan");
QM_STATIC_ASSERT(sizeof(SpecFuncBlock) == 160, "size");
#endif
QM_STATIC_ASSERT(offsetof(SpecFuncBlock, firstCall) == 16, "firstCall");

/* The exports of every plug-in. */
typedef int32_t (*QmPluginAbiVersionFn)(void);
typedef int32_t (*QmInitSDllMenuFn)(QmPluginMenu* menu, int32_t commandBase);
typedef int32_t (*QmSelectDllFunctionFn)(QmHostServices* host, SpecFuncBlock* block);

QM_PLUGIN_EXPORT int32_t QmPluginAbiVersion(void);
QM_PLUGIN_EXPORT int32_t InitSDllMenu(QmPluginMenu* menu, int32_t commandBase);
QM_PLUGIN_EXPORT int32_t SelectDllFunction(QmHostServices* host, SpecFuncBlock* block);

#ifdef __cplusplus
}
#endif

#endif
