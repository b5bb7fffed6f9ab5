#include "batch/batch_state.h"

#include "app/workbench.h"

#include <chrono>
#include <ctime>

namespace qm {

BatchState& batchState(Workbench& wb)
{
    if (!wb.batchState) {
        wb.batchState = std::make_shared<BatchState>();
        wb.batchState->clockSeconds = localSecondsOfDay;
    }
    return *wb.batchState;
}

double localSecondsOfDay()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(ms) / 1000.0;
}

} // namespace qm
