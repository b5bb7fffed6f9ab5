#include "cli/packet_options.h"

#include <charconv>
#include <thread>

namespace qm {

namespace {

// A whole decimal number, nothing around it.
std::optional<int> wholeNumber(std::string_view text)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

std::optional<ShardChoice> shardOf(std::string_view text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const auto i = wholeNumber(text.substr(0, slash)), n = wholeNumber(text.substr(slash + 1));
    if (!i || !n || *n < 1 || *i < 1 || *i > *n)
        return std::nullopt;
    return ShardChoice{*i, *n};
}

} // namespace

std::string takePacketOptions(std::vector<std::string>& words, PacketOptions& options)
{
    std::vector<std::string> rest;
    bool jobsGiven = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        std::string value;
        const bool jobs = w == "--jobs" || w == "-j" || w.rfind("--jobs=", 0) == 0;
        const bool shard = w == "--shard" || w.rfind("--shard=", 0) == 0;
        if (w == "--merge-shards") {
            options.mergeShards = true;
            continue;
        }
        if (!jobs && !shard) {
            rest.push_back(w);
            continue;
        }
        if (const std::size_t eq = w.find('='); eq != std::string::npos)
            value = w.substr(eq + 1);
        else if (i + 1 < words.size())
            value = words[++i];
        else
            return w + " needs a value";
        if (jobs) {
            const auto n = wholeNumber(value);
            if (!n || *n < 0 || *n > kMaxJobs)
                return "--jobs takes a number of processes from 0 (one per core) to " + std::to_string(kMaxJobs) +
                       ", not " + value;
            options.jobs = *n == 0 ? int(std::max(1u, std::thread::hardware_concurrency())) : *n;
            jobsGiven = true;
        } else {
            options.shard = shardOf(value);
            if (!options.shard)
                return "--shard takes I/N with 1 <= I <= N, not " + value;
        }
    }
    if (options.mergeShards && (options.shard || jobsGiven))
        return "--merge-shards goes with neither --jobs nor --shard";
    if (options.shard && jobsGiven)
        return "--shard runs its files in one process: leave out --jobs";
    words = std::move(rest);
    return {};
}

} // namespace qm
