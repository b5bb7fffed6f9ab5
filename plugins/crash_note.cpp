// A crash inside a plug-in cannot be caught in-process. While a call runs,
// fatal signals first write a prepared line naming the plug-in and the
// function (write only: nothing else is safe there), then end the process
// as the signal would have.
#include "plugins/plugin_host.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace qm {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
char g_note[1024];
int g_noteLength = 0;
struct sigaction g_previous[kSignalCount];

extern "C" void noteCrash(int sig)
{
    if (write(STDERR_FILENO, g_note, static_cast<std::size_t>(g_noteLength)) < 0) {
        // nothing more can be done here
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

CrashNote::CrashNote(const std::string& path, const char* function)
{
    const int n = std::snprintf(g_note, sizeof g_note, "quillmar: the plug-in %s crashed in %s\n", path.c_str(), function);
    g_noteLength = n < 0 ? 0 : std::min(n, static_cast<int>(sizeof g_note) - 1);
    struct sigaction sa {};
    sa.sa_handler = noteCrash;
    sigemptyset(&sa.sa_mask);
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &sa, &g_previous[i]);
}

CrashNote::~CrashNote()
{
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

} // namespace qm
