// Runs a fuzz target without libFuzzer: every seed, then a fixed number of
// deterministic pseudo-random mutations of the seeds. With --write-seeds DIR
// it only writes the seeds as files (the starting corpus of a libFuzzer run).
#include "tests/fuzz/fuzz_seeds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kMaxInput = 1 << 16;

class Mutator {
public:
    explicit Mutator(const std::vector<std::string>& seeds) : seeds_(seeds) {}

    std::string next()
    {
        std::string s = seeds_[below(seeds_.size())];
        const int ops = 1 + static_cast<int>(below(4));
        for (int k = 0; k < ops; ++k)
            mutate(s);
        if (s.size() > kMaxInput)
            s.resize(kMaxInput);
        return s;
    }

private:
    uint64_t random()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); }

    void mutate(std::string& s)
    {
        static const char* const tokens[] = {"END", "SIMPLE  =  T", "SIMPLE  =  F", "NAXIS1  = 16001",
                                             "NAXIS1  =     -1", "NAXIS   =  3", "BITPIX  =  64", "BITPIX  =  17",
                                             "POLARSET=  0", "'", "\"", "\r\n", "\n", "        ", "-99999999",
                                             "1e39", "nan", "\\", "../", "a.001", "b.002"};
        const std::size_t pos = below(s.size() + 1);
        switch (below(8)) {
        case 0: // flip a bit
            if (!s.empty())
                s[below(s.size())] ^= static_cast<char>(1 << below(8));
            break;
        case 1: // a random byte
            if (!s.empty())
                s[below(s.size())] = static_cast<char>(random());
            break;
        case 2: { // a token written over the text, often at a card boundary
            const std::string t = tokens[below(std::size(tokens))];
            const std::size_t at = below(2) ? pos - pos % 80 : pos;
            s.replace(std::min(at, s.size()), t.size(), t);
            break;
        }
        case 3: // a token inserted
            s.insert(pos, tokens[below(std::size(tokens))]);
            break;
        case 4: // a range erased
            s.erase(std::min(pos, s.size()), 1 + below(100));
            break;
        case 5: // cut short
            s.resize(pos);
            break;
        case 6: // a chunk repeated
            if (!s.empty()) {
                const std::size_t from = below(s.size());
                s.insert(pos, s.substr(from, 1 + below(200)));
            }
            break;
        default: { // spliced with another seed
            const std::string& other = seeds_[below(seeds_.size())];
            const std::size_t from = below(other.size() + 1);
            s = s.substr(0, pos) + other.substr(from);
            break;
        }
        }
    }

    const std::vector<std::string>& seeds_;
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

void run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> seeds = qm::fuzz::seeds();
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        std::filesystem::create_directories(argv[2]);
        for (std::size_t k = 0; k < seeds.size(); ++k) {
            std::ofstream out(std::filesystem::path(argv[2]) / ("seed" + std::to_string(k)), std::ios::binary);
            out.write(seeds[k].data(), static_cast<std::streamsize>(seeds[k].size()));
        }
        return 0;
    }
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3000;
    for (const auto& s : seeds)
        run(s);
    Mutator m(seeds);
    for (long k = 0; k < rounds; ++k)
        run(m.next());
    std::printf("%zu seeds and %ld mutations ran\n", seeds.size(), rounds);
    return 0;
}
