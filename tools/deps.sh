#!/usr/bin/env bash
# Fetches the libraries named in tools/deps.versions from Debian's source packages (apt-get source,
# Debian's patches applied) and cross-builds static libraries of them with the project's MinGW
# compilers, once per version and width, into a cache outside the clone:
#   tools/deps.sh [64] [32]      (both widths when none is named)
# Each library goes to ${MORVANE_DEPS_CACHE:-/var/cache/morvane-deps}/NAME-VERSION-WIDTH (include/,
# lib/); its stamp file, written last, makes later runs reuse it. Only the libraries are built: no
# tools, tests or documents of theirs. tools/setup.sh installs what this needs (deb-src, nasm, meson).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${MORVANE_DEPS_CACHE:-/var/cache/morvane-deps}
widths=("$@")
[ ${#widths[@]} -gt 0 ] || widths=(64 32)
jobs=$(nproc)
mkdir -p "$cache/src"
locked=0

declare -A upstream debian
order=()
while read -r name up deb; do
    case "$name" in '' | '#'*) continue ;; esac
    upstream[$name]=$up
    debian[$name]=$deb
    order+=("$name")
done <"$root/tools/deps.versions"

# The source tree of NAME, unpacked once per Debian version into the cache.
fetch() {
    local name=$1 src="$cache/src/$1-${debian[$1]#*:}"
    if [ ! -e "$src/.fetched" ]; then
        local tmp
        tmp=$(mktemp -d "$cache/src/fetch.XXXXXX")
        (cd "$tmp" && apt-get source -q "$name=${debian[$name]}" >/dev/null) || {
            rm -rf "$tmp"
            echo "deps: could not fetch $name ${debian[$name]} (run tools/setup.sh first)" >&2
            exit 1
        }
        rm -rf "$src"
        mv "$tmp/$name-${upstream[$name]}" "$src"
        rm -rf "$tmp"
        touch "$src/.fetched"
    fi
    echo "$src"
}

# What both widths' builds of every library share.
toolchain_for() {
    case "$1" in
        64) triple=x86_64-w64-mingw32 cpu=x86_64 toolchain="$root/cmake/mingw-x86_64.cmake" winver="" ;;
        # The 32-bit program runs on Windows XP: no library may call what came later.
        32) triple=i686-w64-mingw32 cpu=x86 toolchain="$root/cmake/mingw-i686.cmake"
            winver="-D_WIN32_WINNT=0x0501 -DWINVER=0x0501" ;;
        *) echo "deps: width 64 or 32, not '$1'" >&2; exit 2 ;;
    esac
}

cmake_lib() { # SRC BUILD PREFIX TARGETS... -- CMAKE_ARGS...
    local src=$1 build=$2 prefix=$3
    shift 3
    local targets=()
    while [ "$1" != "--" ]; do targets+=("$1"); shift; done
    shift
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS="$winver" -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -Wno-dev "$@" >/dev/null
    cmake --build "$build" -j"$jobs" --target "${targets[@]}" >/dev/null
}

meson_lib() { # SRC BUILD PREFIX MESON_ARGS...
    local src=$1 build=$2 prefix=$3
    shift 3
    cat >"$build.cross" <<CROSS
[binaries]
c = '$triple-gcc-posix'
ar = '$triple-ar'
strip = '$triple-strip'
windres = '$triple-windres'
nasm = 'nasm'
[built-in options]
c_args = [$(for f in $winver; do printf "'%s', " "$f"; done)]
[host_machine]
system = 'windows'
cpu_family = '$cpu'
cpu = '$cpu'
endian = 'little'
CROSS
    meson setup "$build" "$src" --cross-file "$build.cross" --prefix "$prefix" --libdir lib \
        --buildtype release -Ddefault_library=static "$@" >/dev/null
    ninja -C "$build" -j"$jobs" >/dev/null
    meson install -C "$build" --no-rebuild >/dev/null
}

build_one() { # NAME WIDTH
    local name=$1 w=$2
    local prefix="$cache/$name-${upstream[$name]}-$w"
    local stamp="$prefix/.built"
    local want="$name ${debian[$name]} width $w"
    if [ -e "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then return; fi
    # Two builds at once (two clones, or CI beside a developer) fill the cache one after the other.
    if [ $locked = 0 ]; then
        exec 9>"$cache/.lock"
        flock 9
        locked=1
        if [ -e "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then return; fi
    fi
    local src start
    src=$(fetch "$name")
    toolchain_for "$w"
    start=$(date +%s)
    echo "deps: building $name ${upstream[$name]} for $w-bit Windows" >&2
    rm -rf "$prefix" "$cache/build/$name-$w" "$cache/build/$name-$w.cross"
    mkdir -p "$cache/build" "$prefix/include" "$prefix/lib"
    local build="$cache/build/$name-$w"
    case "$name" in
        libwebp)
            cmake_lib "$src" "$build" "$prefix" webp webpdemux libwebpmux -- \
                -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
                -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
                -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
            cp "$build"/libwebp.a "$build"/libwebpdemux.a "$build"/libwebpmux.a "$prefix/lib/"
            mkdir -p "$prefix/include/webp"
            cp "$src"/src/webp/{decode,encode,demux,mux,mux_types,types}.h "$prefix/include/webp/" ;;
        dav1d)
            meson_lib "$src" "$build" "$prefix" -Denable_tools=false -Denable_tests=false \
                -Denable_examples=false -Denable_docs=false -Denable_asm=true -Dbitdepths=8,16 ;;
        lcms2)
            meson_lib "$src" "$build" "$prefix" ;;
        libjpeg-turbo)
            # One library with both interfaces (libjpeg's and TurboJPEG's), SIMD through nasm.
            cmake_lib "$src" "$build" "$prefix" turbojpeg-static -- -DENABLE_SHARED=OFF \
                -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
                -DCMAKE_ASM_NASM_COMPILER=nasm
            cp "$build/libturbojpeg.a" "$prefix/lib/"
            cp "$src"/{jpeglib.h,jmorecfg.h,jerror.h,turbojpeg.h} "$build/jconfig.h" "$prefix/include/" ;;
        *) echo "deps: no recipe for $name" >&2; exit 1 ;;
    esac
    # The licence texts travel with the built library (the release's notices are made from them).
    mkdir -p "$prefix/share"
    for f in COPYING LICENSE LICENSE.md README.ijg debian/copyright; do
        [ -e "$src/$f" ] && cp "$src/$f" "$prefix/share/$(basename "$f")"
    done
    rm -rf "$build" "$build.cross"
    echo "deps: $name ${upstream[$name]} for $w-bit Windows built in $(($(date +%s) - start)) s" \
        | tee "$prefix/share/build-time.txt" >&2
    echo "$want" >"$stamp"
}

for w in "${widths[@]}"; do
    for name in "${order[@]}"; do
        build_one "$name" "$w"
    done
done
