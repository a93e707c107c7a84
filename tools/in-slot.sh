#!/usr/bin/env bash
# Runs a command in a free slot of the running Wine set-up (tools/wine-env.sh): the slot's display,
# Wine prefix and server, held until the command ends, so no other test shares them meanwhile.
#   tools/in-slot.sh COMMAND [ARGS...]
# Outside such a set-up the command runs as it is, in the environment it was given.
set -uo pipefail
dir=${MORVANE_SLOTS_DIR:-}
if [ -z "$dir" ] || [ ! -d "$dir" ]; then
    exec "$@"
fi
while :; do
    for env in "$dir"/*.env; do
        n=$(basename "$env" .env)
        exec 9>"$dir/$n.lock"
        if flock -n 9; then
            . "$env"
            # The command does not inherit the lock: a program it leaves behind cannot hold the slot.
            # Its address space is bounded, so a runaway allocation fails inside the test instead of
            # sending the machine's out-of-memory killer after whatever is largest.
            prlimit --as=$((8 << 30)) -- "$@" 9>&-
            exit $?
        fi
        exec 9>&-
    done
    sleep 0.2
done
