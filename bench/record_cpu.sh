#!/usr/bin/env bash
# The CPU time velorin-cli spends recording, without a sound card: ALSA's file plugin feeds the
# default capture device from a named pipe into which this script writes 16-bit stereo at about
# 44,100 frames a second, so the recording runs at the pace of a real one.
# Usage: bench/record_cpu.sh [BUILD_DIR] [SECONDS]
# Records SECONDS (60 by default) once under /usr/bin/time and prints user, system and their sum,
# with the sum scaled to a ten-minute recording.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-${VELORIN_BUILD_DIR:-$root/build}}")"
seconds="${2:-60}"
cli="$build/velorin-cli"
[[ -x "$cli" ]] || { echo "no $cli; run scripts/build first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work="$(mktemp -d)"
feeder=""
trap '[[ -n "$feeder" ]] && kill "$feeder" 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/capture.raw"
cat >"$work/.asoundrc" <<ASOUNDRC
pcm.!default {
  type asym
  playback.pcm "null"
  capture.pcm {
    type file
    slave.pcm "null"
    infile "$work/capture.raw"
    file "/dev/null"
    format "raw"
  }
}
ASOUNDRC

# 1024 frames of 4 bytes per write: whole periods of the stream, and one piece for the pipe.
chunk=$(printf 'A%.0s' $(seq 4096))
(
  exec 3<>"$work/capture.raw"
  while :; do
    printf '%s' "$chunk" >&3
    sleep 0.0232
  done
) &
feeder=$!

HOME="$work" env -u ALSA_CONFIG_PATH /usr/bin/time -f "%U %S" -o "$work/time" \
  "$cli" record "$seconds" 44100 16 2 >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
awk -v s="$seconds" '{cpu = $1 + $2; printf "user %.2f s  system %.2f s  total %.2f s for %d s; %.1f s for ten minutes (%.2f %% of one core)\n", $1, $2, cpu, s, cpu * 600 / s, 100 * cpu / s}' "$work/time"
