# Sourced by test.sh (or by hand before running ctest): makes sure a private
# PulseAudio server with a null sink named "knockbox_test" runs for the sound
# tests, so they play and record real sound without touching the desktop's
# own server or speakers.
#
# Exports PULSE_SERVER (the private server, the default for every client
# started from this shell) and KNOCKBOX_TEST_SINK (the sink the tests record
# through its ".monitor" source). When the server cannot be started, nothing is
# exported and a warning says why: the sound tests then fail with that reason
# instead of being skipped. The server ends with the shell that sourced this.
#
# Safe under `set -euo pipefail`; defines no functions and leaves the
# caller's options as they were.

# A folder of this shell's own, so that test runs side by side (other
# checkouts, other shells) never share or stop each other's server.
knockbox_sound_dir=$(mktemp -d "${TMPDIR:-/tmp}/knockbox-sound-XXXXXX")
# Players run as an ordinary user by the tests reach the socket too.
chmod 711 "$knockbox_sound_dir"
knockbox_sound_socket="$knockbox_sound_dir/native"

if ! command -v pulseaudio >/dev/null 2>&1; then
  echo "sound-server.sh: pulseaudio is not installed (scripts/install-deps.sh installs it); the sound tests will fail." >&2
else
  # -n: no default modules, so the server opens no hardware. --system=no with
  # root works (with a warning in its log); exit-idle-time=-1 keeps it up
  # between tests. The sink is float so the tests can see samples above full
  # scale instead of having them clipped.
  pulseaudio -n --daemonize=no --system=no --exit-idle-time=-1 --use-pid-file=no \
    --disallow-module-loading=no --log-target=file:"$knockbox_sound_dir/server.log" \
    --load="module-null-sink sink_name=knockbox_test format=float32le rate=48000 channels=2" \
    --load="module-native-protocol-unix socket=$knockbox_sound_socket auth-anonymous=1" \
    </dev/null >/dev/null 2>&1 &
  knockbox_sound_pid=$!
  for _ in $(seq 50); do
    PULSE_SERVER="unix:$knockbox_sound_socket" pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if PULSE_SERVER="unix:$knockbox_sound_socket" pactl info >/dev/null 2>&1; then
    export PULSE_SERVER="unix:$knockbox_sound_socket" KNOCKBOX_TEST_SINK=knockbox_test
    pactl set-default-sink knockbox_test >/dev/null 2>&1 || true
    # An idle null sink sleeps in long slices and only notices a new stream at
    # the end of one, which holds back its first second of sound. A silent
    # stream kept open at low latency keeps it waking like a real device.
    pacat --playback --raw --format=s16le --rate=48000 --channels=2 --latency-msec=10 \
      --client-name=knockbox-keep-awake /dev/zero </dev/null >/dev/null 2>&1 &
    knockbox_sound_keeper=$!
    trap "kill $knockbox_sound_keeper $knockbox_sound_pid 2>/dev/null || true; rm -rf '$knockbox_sound_dir'" EXIT
  else
    echo "sound-server.sh: PulseAudio did not start (log: $knockbox_sound_dir/server.log); the sound tests will fail." >&2
    kill "$knockbox_sound_pid" 2>/dev/null || true
  fi
  unset knockbox_sound_pid knockbox_sound_keeper
fi
unset knockbox_sound_dir knockbox_sound_socket
