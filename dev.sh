#!/usr/bin/env bash
# Sets up a Debian 12 machine for this project (only what is missing), builds it, and then
#   ./dev.sh run    starts the program
#   ./dev.sh test   runs every test: a normal build (g++), a build under the sanitizers (clang),
#                   where short runs of the fuzz targets are tests too, and the browser edition
#                   (emscripten) in headless Chromium
#   ./dev.sh web    builds the browser edition and serves it at http://127.0.0.1:8080/
#   ./dev.sh count  prints how much of all code the tests are (needs only git), file by file with -v
set -euo pipefail
cd "$(dirname "$0")"

# Non-blank lines of the code files that git tracks: tests (tests/, fuzz/) against the product
# (engine/, numbers/, tables/, ui/, app/, tools/, web/, style sheets included); build files, data,
# recorded scripts and corpora do not count.
if [ "${1:-}" = count ]; then
    count() {  # count DIRECTORY_PATTERN EXTENSION_PATTERN
        git ls-files | grep -E "^($1)/" | grep -E "\.($2)$" | while read -r file; do
            echo "$(grep -cvE '^\s*$' "$file") $file"
        done
    }
    code='cpp|h|hpp|cc|js|mjs|cjs|ts|py|sh'
    tests=$(count 'tests|fuzz' "$code") product=$(count 'engine|numbers|tables|ui|app|tools|web' "$code|css")
    [ "${2:-}" = -v ] && printf '%s\n' "$tests" "$product"
    sum() { awk '{ n += $1 } END { print n + 0 }'; }
    t=$(sum <<<"$tests") p=$(sum <<<"$product")
    echo "tests $t lines, product $p lines: tests are $(awk "BEGIN { printf \"%.1f\", 100 * $t / ($t + $p) }") % of all code (at most 36 %)"
    exit 0
fi

packages=(cmake make g++ clang libclang-rt-14-dev qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev libxcb1-dev libboost-dev
    libgtest-dev fonts-ipafont-gothic fonts-noto-cjk file locales)
# The window tests on a desktop of their own: an X server without a screen and a window manager.
desktop_packages=(xvfb openbox)
# Debian's Node.js loads these three of its built-in modules from /usr/share/nodejs.
web_packages=(emscripten chromium nodejs node-acorn node-cjs-module-lexer node-undici)
case "${1:-run}" in
    test) packages+=("${desktop_packages[@]}" "${web_packages[@]}") ;;
    web) packages+=("${web_packages[@]}") ;;
esac
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
# Some Node.js packages bring npm along; Debian's own nodejs does not.
case "${1:-run}" in test | web) command -v npm >/dev/null || missing+=(npm) ;; esac
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
build() {  # build DIR [cmake options...] [--target TARGET...]
    local dir=$1 options=() targets=()
    shift
    while (($#)); do
        if [ "$1" = --target ]; then targets=("$@"); break; fi
        options+=("$1")
        shift
    done
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    cmake --build "$dir" -j"$jobs" "${targets[@]}"
}

# The browser edition: the npm packages as the lock file pins them (what drives Chromium in
# the tests), then the site. Debian's emscripten finds its JavaScript optimiser's parser only
# through NODE_PATH.
build_web() {
    npm ci --no-audit --no-fund --loglevel=error
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build build-web -j"$jobs"
}

# Debian 12's own Node.js 18 for the browser tests, where `node` is a newer one from elsewhere:
# unpacked from Debian's packages into build-web/debian-node, not installed, so that a call that
# only a newer Node.js has fails the suite here too. Prints the path of a `node` that runs it.
debian_node() {
    local dir=build-web/debian-node
    if ! "$dir/node" --version >/dev/null 2>&1; then
        local version
        version=$(apt-cache madison nodejs | awk '$3 ~ /^18\./ { print $3; exit }')
        [ -n "$version" ] || { echo "dev.sh: no Node.js 18 in the Debian archives apt knows" >&2; return 1; }
        rm -rf "$dir" && mkdir -p "$dir/debs"
        (cd "$dir/debs" && apt-get download -qq "nodejs=$version" "libnode108=$version" \
            libuv1 libc-ares2 libbrotli1 libnghttp2-14 libicu72 libssl3 2>/dev/null)
        for deb in "$dir"/debs/*.deb; do dpkg -x "$deb" "$dir/root"; done
        local libs
        libs=$(cd "$dir/root" && pwd)/$(cd "$dir/root" && echo usr/lib/*-linux-gnu)
        printf '#!/bin/sh\nLD_LIBRARY_PATH=%s${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} exec %s "$@"\n' \
            "$libs" "$(cd "$dir/root/usr/bin" && pwd)/node" >"$dir/node"
        chmod +x "$dir/node"
    fi
    echo "$(cd "$dir" && pwd)/node"
}

case "${1:-run}" in
    run)
        # Only the program: the tests and tools wait for ./dev.sh test.
        build build --target tomokari
        exec build/bin/tomokari
        ;;
    test)
        build build
        (cd build && ctest --output-on-failure -j"$jobs")
        # The sanitizer build uses Clang, whose libFuzzer also builds and runs the fuzz targets.
        # A directory configured for another compiler starts afresh: CMake cannot switch one.
        if [ -f build-sanitize/CMakeCache.txt ] &&
            ! grep -q '^CMAKE_CXX_COMPILER:.*clang++' build-sanitize/CMakeCache.txt; then
            rm -rf build-sanitize
        fi
        build build-sanitize -DTOMOKARI_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++
        (cd build-sanitize && ctest --output-on-failure -j"$jobs")
        debian=()
        if [ "$(node -p 'process.versions.node.split(".")[0]')" -gt 18 ]; then
            mkdir -p build-web
            debian=(-DTOMOKARI_DEBIAN_NODE="$(debian_node)")
        fi
        build_web "${debian[@]}"
        (cd build-web && ctest --output-on-failure -j"$jobs")
        ;;
    web)
        build_web
        exec node web/serve.mjs build-web/site 8080
        ;;
    *)
        echo "usage: $0 [run|test|web]" >&2
        exit 2
        ;;
esac
