#pragma once
// Independent pieces of work spread over the processor's cores.
#include <cstddef>
#include <functional>

namespace qm {

// Runs fn(0) ... fn(count - 1), each index once, on up to as many threads
// as the machine has cores (the calling thread among them), and returns
// when all are done. The calls must not share mutable state. The first
// exception a call throws is rethrown here once the other threads have
// stopped taking indices; when no thread can be started the calling thread
// does all the work.
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& fn);

} // namespace qm
