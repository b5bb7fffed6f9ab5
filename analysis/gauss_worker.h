#pragma once
// One Gaussian fit on a worker thread. The job owns a copy of everything
// the fit reads; the thread writes only the job's result, and the main
// thread reads the result only after joining. The status word and the stop
// flag are the only values both threads touch.
#include "analysis/gauss_fitter.h"

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

namespace qm {

inline constexpr int kFitRunning = -2345, kFitFinished = 1, kFitAborted = -10;

class GaussJob {
public:
    explicit GaussJob(GaussFitInput input) : input_(std::move(input)) {}
    ~GaussJob();
    GaussJob(const GaussJob&) = delete;
    GaussJob& operator=(const GaussJob&) = delete;

    // Starts the worker; false when no thread could be made.
    bool start();
    int status() const { return status_.load(); }
    // Waits for the worker, calling `pump` between short sleeps; a pump that
    // returns true aborts the fit. Always joins before it returns. Returns
    // the result, or nothing when aborted.
    std::optional<GaussFitResult> wait(const std::function<bool()>& pump);

private:
    GaussFitInput input_;
    GaussFitResult result_;
    std::atomic<int> status_{kFitRunning};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace qm
