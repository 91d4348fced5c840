#!/usr/bin/env bash
# End-to-end sound test: play_signal.exe plays known signals through the sound player and Wine's
# wave-out device into an ALSA "file" output, and the captured samples must be the signal
# exactly. The device pads with silence; the signal never holds the sample 0, so the zeros are
# dropped before comparing. Runs inside tools/test-env.sh (ctest does that).
#   tools/sound-capture-test.sh <path of play_signal.exe>
set -euo pipefail
player=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
capture=$home/capture.raw
cat >"$home/.asoundrc" <<ALSA
pcm.!default {
  type file
  slave.pcm "null"
  file "$capture"
  format "raw"
}
ALSA

# rate frames channels: a final partial block, whole blocks only, stereo.
for run in "8000 5000 1" "22050 8192 1" "44100 30000 2"; do
  read -r rate frames channels <<<"$run"
  rm -f "$capture"
  HOME=$home wine "$player" "$rate" "$frames" "$channels"
  [[ -f $capture ]] || { echo "no capture for $run (is ALSA output available to Wine?)" >&2; exit 1; }
  /usr/bin/python3 - "$capture" "$frames" "$channels" <<'PY'
import struct, sys
path, frames, channels = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = open(path, "rb").read()
got = [s for s in struct.unpack("<%dh" % (len(data) // 2), data) if s != 0]
want = [(1000 + (k * 37 + c * 5000) % 20000) * (-1 if k % 2 else 1)
        for k in range(frames) for c in range(channels)]
if got != want:
    print("captured %d samples, expected %d; first difference at %s" % (
        len(got), len(want), next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), None)))
    sys.exit(1)
PY
  echo "sound capture $run: ok"
done
