#!/bin/sh
# Runs a packet as N shards with GNU parallel (on this machine, or on the
# hosts of --sshloginfile with a shared folder), then joins the shards.
#   examples/cluster/parallel.sh archive.pkf 8
set -e
PACKET=${1:?usage: parallel.sh PACKET.pkf [SHARDS]}
SHARDS=${2:-8}
BATCH=${QUILLMAR_BATCH:-quillmar-batch}
# Exit status 1 of a shard means a file or command failed, as in a serial
# run: the merge still runs and the log says which.
parallel --halt never "$BATCH" --quiet --shard {}/"$SHARDS" "$PACKET" ::: $(seq "$SHARDS") || true
exec "$BATCH" --merge-shards "$PACKET"
