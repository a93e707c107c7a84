#!/usr/bin/env bash
# Runs a test program with a small RAM disk of its own as drive R: of the slot's Wine prefix,
# and takes the disk down again afterwards, whatever the program did:
#   small_disk.sh PROGRAM [ARGS...]
# The program finds the drive in MORVANE_SMALL_DISK. Where no disk can be mounted (not root, no
# tmpfs), MORVANE_SMALL_DISK_UNAVAILABLE says why, and the program skips the cases that need it.
set -uo pipefail
prefix=${WINEPREFIX:?a Wine prefix (run under tools/wine-env.sh)}
link=$prefix/dosdevices/r:
dir=$(mktemp -d "${TMPDIR:-/tmp}/morvane-small-disk.XXXXXX")
mounted=0
cleanup() {
    [ -L "$link" ] && [ "$(readlink "$link")" = "$dir" ] && rm -f "$link"
    [ $mounted = 1 ] && umount "$dir"
    rmdir "$dir"
}
trap cleanup EXIT
if [ -e "$link" ] || [ -L "$link" ]; then
    export MORVANE_SMALL_DISK_UNAVAILABLE="drive R: of $prefix is taken"
elif out=$(mount -t tmpfs -o size=256k,mode=0777 tmpfs "$dir" 2>&1); then
    mounted=1
    ln -s "$dir" "$link"
    export MORVANE_SMALL_DISK='R:'
else
    export MORVANE_SMALL_DISK_UNAVAILABLE="a 256 KB tmpfs could not be mounted: $out"
fi
wine "$@"
