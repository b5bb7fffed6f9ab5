#include "analysis/gauss_worker.h"

#include <chrono>
#include <optional>
#include <system_error>

namespace qm {

GaussJob::~GaussJob()
{
    if (thread_.joinable()) {
        stop_ = true;
        thread_.join();
    }
}

bool GaussJob::start()
{
    status_ = kFitRunning;
    try {
        thread_ = std::thread([this] {
            result_ = fitGaussians(input_, &stop_);
            int expected = kFitRunning; // an abort that came first stays
            status_.compare_exchange_strong(expected, kFitFinished);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

std::optional<GaussFitResult> GaussJob::wait(const std::function<bool()>& pump)
{
    using namespace std::chrono_literals;
    while (status_.load() == kFitRunning) {
        if (pump && pump()) {
            status_ = kFitAborted;
            stop_ = true;
            break;
        }
        std::this_thread::sleep_for(2ms);
    }
    if (thread_.joinable())
        thread_.join();
    if (status_.load() != kFitFinished || result_.stopped)
        return std::nullopt;
    return std::move(result_);
}

} // namespace qm
