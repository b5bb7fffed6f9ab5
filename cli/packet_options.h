#pragma once
// The command-line options of quillmar-batch that spread a packet over
// processes and machines: --jobs N, --shard I/N and --merge-shards.
#include "cli/packet_shards.h"

#include <optional>
#include <string>
#include <vector>

namespace qm {

struct PacketOptions {
    int jobs = 1; // worker processes; 1 runs the packet in this process
    std::optional<ShardChoice> shard;
    bool mergeShards = false;
    bool any() const { return jobs != 1 || shard || mergeShards; }
};

inline constexpr int kMaxJobs = 256;

// Takes the options (and their values) out of `words`. Returns why the
// command line is wrong, empty when it is fine: --jobs (or -j) takes 0 (one
// per core) to kMaxJobs, --shard takes I/N with 1 <= I <= N, and neither
// goes with --merge-shards.
std::string takePacketOptions(std::vector<std::string>& words, PacketOptions& options);

} // namespace qm
