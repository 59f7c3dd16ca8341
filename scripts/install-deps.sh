#!/usr/bin/env bash
# Installs what Knockbox needs to build, run and test, and only what is
# missing: Debian 12 through apt-get, macOS through Homebrew. Idempotent and
# silent when everything is there.
set -euo pipefail

debian_packages=(
  build-essential cmake ninja-build pkg-config  # toolchain
  nlohmann-json3-dev                            # JSON files and lines
  libfast-float-dev                             # locale-independent number parsing
  libsndfile1-dev                               # CAF input, WAV output
  librtaudio-dev libpulse-dev                   # audio output (RtAudio over PulseAudio); the latency bench asks the server
  pulseaudio pulseaudio-utils                   # sound server and parecord for the sound tests
  qt6-base-dev qt6-qpa-plugins libgl-dev        # configuration app (offscreen in tests)
  libgtest-dev libgmock-dev libbenchmark-dev    # tests and benchmarks
  sudo util-linux                               # sensor process through sudo -n; setpriv in tests
  clang-19 libc++-19-dev libc++abi-19-dev       # the Clang + libc++ compile check (scripts/check-libcxx.sh)
)
# bash: the scripts need bash 4 or later; macOS ships 3.2.
brew_packages=(cmake ninja pkg-config bash nlohmann-json fast_float libsndfile rtaudio qt googletest google-benchmark)

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

missing=()
for package in "${debian_packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
((${#missing[@]})) || exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "Installing Debian packages: ${missing[*]}" >&2
"${as_root[@]}" apt-get update -qq >&2
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
