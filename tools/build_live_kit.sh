#!/usr/bin/env bash
# Rebuilds the live kit, Kits/Live/<drum>-<layer>-<variation>.caf (48 kHz,
# mono, 32-bit float), from the "BJA Pacific" acoustic kit that Debian's
# hydrogen-drumkits package ships (Luc Tanguay / Bransin James Anderson,
# CC BY-SA 3.0 US; see Licenses/THIRD_PARTY_NOTICES.md).
#
# The source has eight velocity recordings per drum, softest first. Layer L
# takes recordings 2L+1 and 2L+2 as variations 0 and 1; variation 2 is
# recording 2L+1 played 2 % faster (about a third of a semitone higher), so
# no two files are the same. Each file is mixed to mono, resampled to 48 kHz,
# trimmed up to its attack (1 % of its own peak, then a 0.5 ms fade-in),
# cut to at most 0.8 s and faded out over its last 80 ms. One gain per drum
# brings its loudest file to a peak of 0.82, so the layers keep their
# relative loudness.
#
# Installs hydrogen-drumkits and sox with apt-get when they are missing. The
# output is the same on every run with the same package versions.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source_kit=/usr/share/hydrogen/data/drumkits/BJA_Pacific
output=$root/Kits/Live

missing=()
[[ -d $source_kit ]] || missing+=(hydrogen-drumkits)
command -v sox >/dev/null || missing+=(sox)
if ((${#missing[@]})); then
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  echo "Installing Debian packages: ${missing[*]}" >&2
  "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The largest absolute sample value of a sound file.
peak() { sox "$1" -n stat 2>&1 | awk '/^Maximum amplitude/ { max = $3 } /^Minimum amplitude/ { min = -$3 } END { print (max > min ? max : min) }'; }

declare -A prefix=([kick]=BD [snare]=SN [hihat]=HH [tom]=TM)
mkdir -p "$output"
for drum in kick snare hihat tom; do
  for layer in 0 1 2 3; do
    for variation in 0 1 2; do
      case $variation in
        0) take=$((2 * layer + 1)); speed=() ;;
        1) take=$((2 * layer + 2)); speed=() ;;
        2) take=$((2 * layer + 1)); speed=(speed 1.02) ;;
      esac
      source_file=$source_kit/${prefix[$drum]}_0$take.aiff
      name=$drum-$layer-$variation
      # Intermediate files are float WAV: sox reads float CAF wrongly scaled.
      sox -V1 -R -D "$source_file" -e floating-point -b 32 "$work/$name.mono.wav" \
        remix 1v0.5,2v0.5 "${speed[@]}" rate -v 48000
      threshold=$(awk -v peak="$(peak "$work/$name.mono.wav")" 'BEGIN { printf "%.6f", peak }')  # 1 % of the peak, in percent
      sox -V1 -R -D "$work/$name.mono.wav" -e floating-point -b 32 "$work/$name.wav" \
        silence 1 1s "$threshold%" trim 0 0.8 reverse fade h 0.08 reverse fade h 0.0005
    done
  done
  loudest=0
  for file in "$work/$drum"-?-?.wav; do
    loudest=$(awk -v a="$loudest" -v b="$(peak "$file")" 'BEGIN { print (b > a ? b : a) }')
  done
  gain=$(awk -v loudest="$loudest" 'BEGIN { printf "%.6f", 0.82 / loudest }')
  for layer in 0 1 2 3; do
    for variation in 0 1 2; do
      name=$drum-$layer-$variation
      sox -V1 -R -D "$work/$name.wav" -t caf -e floating-point -b 32 "$output/$name.caf" vol "$gain"
    done
  done
  echo "$drum: gain $gain" >&2
done
echo "Wrote 48 recordings to $output ($(du -sh "$output" | cut -f1))." >&2
