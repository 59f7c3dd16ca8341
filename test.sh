#!/usr/bin/env bash
# Installs what is missing, builds a Release and an AddressSanitizer +
# UndefinedBehaviorSanitizer configuration and runs every test of both; before
# the second runs, compiles every source file of src/ with Clang and libc++
# (the closest stand-in for Apple's toolchain, scripts/check-libcxx.sh).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test
werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
jobs=$(nproc 2>/dev/null || sysctl -n hw.ncpu)

# Tests labelled "linux" need this project's Linux test machine (the
# PulseAudio test server, the simulated sensor, setpriv, dpkg): a Mac leaves
# them out, as the macOS workflow does. Elsewhere the sound tests play into a
# real sound server, which this starts if needed.
ctest_selection=()
if [[ "$(uname -s)" == Darwin ]]; then
  ctest_selection=(-LE linux)
else
  source scripts/sound-server.sh
fi

build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DKNOCKBOX_WERROR=$werror "$@"
  cmake --build "$dir" -j "$jobs"
}
run_tests() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs" "${ctest_selection[@]}"
}

# Tests and benchmarks on, also in a build/ that ./run.sh configured without
# them; the program's sources in the unity build ./run.sh makes, so a name two
# files share fails here too.
build build -DCMAKE_BUILD_TYPE=Release -DKNOCKBOX_UNITY=ON -DKNOCKBOX_TESTS=ON -DKNOCKBOX_BENCH=ON
run_tests build
# File by file: a source that leans on another's includes fails here.
build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKNOCKBOX_SANITIZE=ON -DKNOCKBOX_UNITY=OFF -DKNOCKBOX_BENCH=OFF
# After a file-by-file build, so that every source has its own compile command
# and generated sources (Qt's moc) exist.
scripts/check-libcxx.sh build-asan
run_tests build-asan
