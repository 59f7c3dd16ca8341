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
exec build/knockbox "$@"
