#!/usr/bin/env bash
# Installs what building and running need (not the test toolchain), builds the
# program alone (Release, build/) when sources changed, then runs it with your
# arguments and passes its exit status on.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh run
if [[ ! -f build/CMakeCache.txt ]]; then
  # Tests and benchmarks stay out until ./test.sh turns them on in this folder;
  # the unity build halves the first compile.
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKNOCKBOX_UNITY=ON -DKNOCKBOX_TESTS=OFF -DKNOCKBOX_BENCH=OFF \
    >.configure.log 2>&1 || { cat .configure.log >&2; exit 1; }
  rm -f .configure.log
fi
if ! cmake --build build --target knockbox >build/build.log 2>&1; then
  cat build/build.log >&2
  exit 1
fi
# On a Mac, live play and live calibration start the sensor process with
# `sudo -n`, which never asks for a password: with a terminal to ask in, get
# sudo's ticket now (it asks once). Every other mode, and --direct-sensor,
# needs none; without a terminal nothing is asked.
if [[ "$(uname -s)" == Darwin && -t 0 && -t 2 ]] &&
  ! printf '%s\n' "$@" | grep -qxE -- '-h|--(help|ui|probe|check-access|sensor-stream|demo|self-test|replay|export-samples|direct-sensor)'; then
  sudo -v || exit 1
fi
exec build/knockbox "$@"
