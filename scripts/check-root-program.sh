#!/usr/bin/env bash
# knockbox-sensor is the program that runs as root (docs/macos-sensor-access.md):
# it may load the system's own libraries only, never one that a user could
# replace (Homebrew's belong to the user who installed them), and on a Mac it
# has no run-path folders to search. Prints what it should not load.
#   scripts/check-root-program.sh <program>
set -euo pipefail
program=$1
if [[ "$(uname -s)" == Darwin ]]; then
  # otool -L: the program's name, then one library per line.
  foreign=$(otool -L "$program" | tail -n +2 | awk '{print $1}' | grep -vE '^/(usr/lib|System/Library)/' || true)
  if otool -l "$program" | grep -q LC_RPATH; then foreign+=$'\nLC_RPATH'; fi
else
  # Its NEEDED entries: the C and C++ runtimes are the system's.
  foreign=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
    grep -vE '^(libc|libm|libstdc\+\+|libgcc_s|ld-linux[-a-z0-9_]*)\.so' || true)
fi
if [[ -n "${foreign//[$'\n']/}" ]]; then
  echo "check-root-program: $program loads what is not the system's:" $foreign >&2
  exit 1
fi
