#!/usr/bin/env bash
# Installs what building, running and testing Morvane needs on Debian 12 (run as root),
# and makes sure 32-bit programs can run. Quick when everything is already in place.
set -euo pipefail

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

need=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev cmake make
      wine wine32:i386 wine64 wine32-preloader:i386 wine64-preloader fonts-wine fonts-liberation
      fonts-wqy-microhei
      xvfb xdotool x11-utils imagemagick googletest qemu-user-static nsis ghostscript
      nasm meson ninja-build pkg-config dpkg-dev clang-format)

# The libraries Morvane links come from Debian's own source packages (tools/deps.sh): a deb-src
# entry beside each of the system's deb entries, read once.
src_list=/etc/apt/sources.list.d/morvane-deb-src.sources
if [ ! -e "$src_list" ] && [ -e /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$src_list" >/dev/null
    if ! $SUDO apt-get update -q; then
        echo "setup: warning: some package lists could not be updated; going on with the rest" >&2
    fi
fi

missing=()
for p in "${need[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    echo "setup: installing ${missing[*]}" >&2
    # A mirror in the middle of a sync can fail one index; the others are still good.
    if ! $SUDO apt-get update -q; then
        echo "setup: warning: some package lists could not be updated; going on with the rest" >&2
    fi
    install=(env DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends)
    if ! "${install[@]}" "${missing[@]}"; then
        # Without one suite's index, the amd64 and i386 copies of a multi-arch library can come
        # from different suites at different versions; the main release's versions always match.
        release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
        echo "setup: install failed; trying again with the versions of '$release'" >&2
        if ! "${install[@]}" -t "$release" "${missing[@]}"; then
            echo "setup: could not install: ${missing[*]}" >&2
            echo "setup: run by hand, then start again:" >&2
            echo "  dpkg --add-architecture i386 && apt-get update" >&2
            echo "  apt-get install -t $release --no-install-recommends ${missing[*]}" >&2
            exit 1
        fi
    fi
fi

# Wine's 32-bit loader is an i386 ELF program. Some virtual machines cannot run 32-bit code
# natively (no compatibility mode); there it runs under qemu's user-mode emulator through binfmt_misc.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    bf=/proc/sys/fs/binfmt_misc
    [ -e "$bf/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$bf"
    if [ ! -e "$bf/morvane-i386" ]; then
        echo "setup: running i386 programs through qemu-i386-static" >&2
        printf '%s' ':morvane-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FP' \
            | $SUDO tee "$bf/register" >/dev/null
    fi
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run 32-bit programs" >&2; exit 1; }
fi
