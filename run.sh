#!/usr/bin/env bash
# Installs what is missing, builds the player (Release, build/) when sources
# changed, then runs it with your arguments and passes its exit status on.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >.configure.log 2>&1 ||
    { cat .configure.log >&2; exit 1; }
  rm -f .configure.log
fi
if ! cmake --build build --target knockbox >build/build.log 2>&1; then
  cat build/build.log >&2
  exit 1
fi
exec build/knockbox "$@"
