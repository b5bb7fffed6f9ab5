#pragma once
// A packet's file list spread over separate runs (cluster nodes, job
// arrays): `--shard I/N` runs files I, I+N, I+2N, ... (counting from 1) and
// writes "<log>.shardI" and "<report>.shardI" beside where the serial run
// writes the log and its reports; `--merge-shards` joins them in packet
// order into exactly the log and reports of a serial run. Saved files go to
// OutDir directly, as they do in a serial run.
#include "batch/packet_run.h"

#include <string>

namespace qm {

class HeadlessWorkbench;

struct ShardChoice {
    int index = 1; // I, from 1
    int count = 1; // N
};

// Runs shard `shard` of the packet on `h`.
PacketRun runPacketShard(HeadlessWorkbench& h, const std::string& packet, ShardChoice shard);

// Joins the shard files of the packet into its log and reports, all or
// nothing, and removes the shard files. A missing or damaged shard file is
// refused by name before anything is written.
PacketRun mergePacketShards(HeadlessWorkbench& h, const std::string& packet);

} // namespace qm
