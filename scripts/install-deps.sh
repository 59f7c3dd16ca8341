#!/usr/bin/env bash
# Installs what Knockbox needs, and only what is missing: Debian 12 through
# apt-get, macOS through Homebrew. Idempotent and silent when everything is
# there.
#   scripts/install-deps.sh run    what building and running the program need (./run.sh)
#   scripts/install-deps.sh test   that and the test toolchain (./test.sh; the default)
set -euo pipefail

set_name=${1:-test}
[[ "$set_name" == run || "$set_name" == test ]] || { echo "usage: $0 [run|test]" >&2; exit 2; }

debian_packages=(
  build-essential cmake ninja-build pkg-config  # toolchain
  nlohmann-json3-dev                            # JSON files and lines
  libfast-float-dev                             # locale-independent number parsing
  libsndfile1-dev                               # CAF input, WAV output
  librtaudio-dev                                # audio output (RtAudio over PulseAudio)
  librtmidi-dev libjack-jackd2-dev              # MIDI out (RtMidi: ALSA sequencer or JACK); libjack to keep JACK quiet
  qt6-base-dev                                  # configuration app
  sudo                                          # live play starts the sensor process with sudo -n
)
debian_test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev    # tests and benchmarks
  libpulse-dev                                  # the latency bench asks the sound server
  pulseaudio pulseaudio-utils                   # sound server and parecord for the sound tests
  util-linux                                    # setpriv: tests run the player as an ordinary user
  jackd2 python3-mido                           # live MIDI over JACK's dummy driver; MIDI takes read back
  clang-19 libc++-19-dev libc++abi-19-dev       # the Clang + libc++ compile check (scripts/check-libcxx.sh)
  desktop-file-utils appstream                  # the install test validates the desktop entry and metainfo
  file                                          # cpack's Debian package finds the program's libraries with it
)
# bash: the scripts need bash 4 or later; macOS ships 3.2.
brew_packages=(cmake ninja pkg-config bash nlohmann-json fast_float libsndfile rtaudio rtmidi qt)
brew_test_packages=(googletest google-benchmark)
if [[ "$set_name" == test ]]; then
  debian_packages+=("${debian_test_packages[@]}")
  brew_packages+=("${brew_test_packages[@]}")
fi

if [[ "$(uname -s)" == Darwin ]]; then
  # Apple's compiler, SDK and libc++ come with the Command Line Tools (or Xcode).
  if ! xcode-select -p >/dev/null 2>&1 || ! xcrun --find clang++ >/dev/null 2>&1; then
    echo "The Command Line Tools are missing. Install them with: xcode-select --install" >&2
    echo "(or install Xcode), then run this again." >&2
    exit 1
  fi
  if ! command -v brew >/dev/null 2>&1; then
    echo "Homebrew is missing. Install it as https://brew.sh says, make sure 'brew' is on" >&2
    echo "your PATH (on Apple Silicon: eval \"\$(/opt/homebrew/bin/brew shellenv)\"), then run this again." >&2
    exit 1
  fi
  missing=()
  for package in "${brew_packages[@]}"; do
    brew list --versions "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "Installing with Homebrew: ${missing[*]}" >&2
    brew install "${missing[@]}" >&2
  fi
  exit 0
fi

# One query for all: a package that is not installed has another status or
# none at all.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${debian_packages[@]}" 2>/dev/null || true)
missing=()
for package in "${debian_packages[@]}"; do
  grep -qx "$package install ok installed" <<<"$installed" || missing+=("$package")
done
((${#missing[@]})) || exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "Installing Debian packages: ${missing[*]}" >&2
"${as_root[@]}" apt-get update -qq >&2
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
