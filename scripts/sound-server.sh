# Sourced by test.sh: makes sure a PulseAudio server with a null sink named
# "knockbox_test" runs, so the sound tests can play and record for real.
# Left empty here until the audio engine exists; see the README.
:
