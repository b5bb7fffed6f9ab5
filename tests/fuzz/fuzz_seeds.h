#pragma once
// Seed inputs of a fuzz target: the deterministic driver mutates them, and a
// libFuzzer run starts its corpus from them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace qm::fuzz {

std::vector<std::string> seeds();

// Stops the run with a crash the fuzzer reports, when an invariant fails.
inline void require(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The cards of a primary header without data, ahead of extensions.
inline std::vector<std::string> fitsPrimaryCards()
{
    return {"SIMPLE  =                    T", "BITPIX  =                    8", "NAXIS   =                    0",
            "EXTEND  =                    T"};
}

} // namespace qm::fuzz
