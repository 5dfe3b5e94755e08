#!/usr/bin/env bash
# Sets up a Debian 12 machine for this project (only what is missing), builds it, and then
#   ./dev.sh run    starts the program
#   ./dev.sh test   runs every test: a normal build (g++), a build under the sanitizers (clang),
#                   where short runs of the fuzz targets are tests too, and the browser edition
#                   (emscripten) in headless Chromium
#   ./dev.sh web    builds the browser edition and serves it at http://127.0.0.1:8080/
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ clang libclang-rt-14-dev qt6-base-dev libgl-dev libboost-dev libgtest-dev fonts-ipafont-gothic fonts-noto-cjk file locales)
web_packages=(emscripten chromium nodejs)
case "${1:-run}" in test | web) packages+=("${web_packages[@]}") ;; esac
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
build() {  # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

# The browser edition: the npm packages as the lock file pins them (what drives Chromium in
# the tests), then the site. Debian's emscripten finds its JavaScript optimiser's parser only
# through NODE_PATH.
build_web() {
    npm ci --no-audit --no-fund --loglevel=error
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build-web -j"$jobs"
}

case "${1:-run}" in
    run)
        build build
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
        build_web
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
