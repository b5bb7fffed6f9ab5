#include "app/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qm {

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& fn)
{
    const std::size_t threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            fn(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            try {
                fn(i);
            } catch (...) {
                const std::lock_guard<std::mutex> hold(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = count; // the others stop after their current call
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    try {
        while (helpers.size() + 1 < threads)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer helpers: the indices they would have taken stay for the rest.
    }
    work();
    for (std::thread& t : helpers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace qm
