#!/usr/bin/env bash
# Installs what is missing, builds a Release and an AddressSanitizer +
# UndefinedBehaviorSanitizer configuration and runs every test of both.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
jobs=$(nproc 2>/dev/null || sysctl -n hw.ncpu)

# The sound tests play into a real sound server; this starts one if needed.
source scripts/sound-server.sh

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DKNOCKBOX_WERROR=$werror "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

build_and_test build -DCMAKE_BUILD_TYPE=Release
build_and_test build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKNOCKBOX_SANITIZE=ON -DKNOCKBOX_BENCH=OFF
