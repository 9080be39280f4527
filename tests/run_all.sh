#!/bin/bash
# Builds lum and the browser playground and runs every test: unit, end-to-end and browser tests
# on Linux, then the Windows build under Wine. Installs what a fresh machine lacks; under CI a tool that cannot
# be had is a failure, never a skip.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source "$root/tests/tools.sh"
need cmake cmake
need ninja ninja-build
need g++ g++
need python3 python3
need node nodejs
need npm npm
need chromium chromium
need curl curl
need wrk wrk
need em++ emscripten
need nvim neovim
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest ] || install libgtest-dev
[ -e /usr/include/nlohmann/json.hpp ] || install nlohmann-json3-dev

# Each stage ends with its wall time, for the CI budget.
stage() { echo "== $1"; stageStart=$SECONDS; }
took() { echo "== $1: $((SECONDS - stageStart)) s"; }

stage "native build"
cmake -S . -B build -G Ninja -DLUM_TESTS=ON -DLUM_PLAYGROUND=ON >/dev/null
ninja -C build
took "native build"
stage "native tests"
ctest --test-dir build --output-on-failure
took "native tests"

stage "Windows build under Wine"
LUM_WIN_HELPER="$root/build" bash tests/windows/run.sh
took "Windows build under Wine"

stage "sanitizers and fuzzing"
bash tests/reliability/run.sh
took "sanitizers and fuzzing"
echo "== all tests passed"
