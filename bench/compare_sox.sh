#!/usr/bin/env bash
# Times whole velorin-cli commands against the sox command that does the same job, on one
# generated 10-minute 44,100 Hz 16-bit stereo file. Usage: bench/compare_sox.sh [BUILD_DIR]
# Needs sox and hyperfine (scripts/setup installs both). Results go to standard output and to
# BUILD_DIR/bench/compare_sox.md.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-${VELORIN_BUILD_DIR:-$root/build}}")"
cli="$build/velorin-cli"
[[ -x "$cli" ]] || { echo "no $cli; run scripts/build first" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
src="$work/source.wav"
ours="$work/ours.wav"
theirs="$work/sox.wav"
sox -n -r 44100 -b 16 -c 2 "$src" synth 600 sine 440 sine 523.25 gain -6

report="$build/bench/compare_sox.md"
mkdir -p "$(dirname "$report")"
: >"$report"

compare() {
  local name="$1" velorin="$2" soxcmd="$3"
  echo "== $name"
  hyperfine --warmup 1 --runs 5 --export-markdown "$work/$name.md" \
    -n "velorin-cli $name" "$velorin" -n "sox $name" "$soxcmd"
  { echo "### $name"; cat "$work/$name.md"; echo; } >>"$report"
}

compare reverse "'$cli' open '$src' reverse save '$ours'" "sox '$src' '$theirs' reverse"
compare normalize "'$cli' open '$src' normalize 100 save '$ours'" "sox '$src' '$theirs' gain -n"
compare fade-in "'$cli' open '$src' fade-in save '$ours'" "sox '$src' '$theirs' fade h 600"
compare copy "'$cli' open '$src' save '$ours'" "sox '$src' '$theirs'"
# sox's results differ in value from ours, so only the time is compared. remix - mixes all
# channels into one scaled by 1/n, an average like to-mono's (channels 1 would do the same).
# By default sox adds dither to all three, as it must drop bits its processing made, and its rate
# effect is a band-limited resampler, not an average of pairs: it does more work than ours.
compare to-mono "'$cli' open '$src' to-mono save '$ours'" "sox '$src' '$theirs' remix -"
compare to-8bit "'$cli' open '$src' to-8bit save '$ours'" "sox '$src' -b 8 '$theirs'"
compare halve-rate "'$cli' open '$src' halve-rate save '$ours'" "sox '$src' '$theirs' rate 22050"
# The same two without dither (-D), which is closer to equal work.
compare to-mono-undithered "'$cli' open '$src' to-mono save '$ours'" "sox -D '$src' '$theirs' remix -"
compare to-8bit-undithered "'$cli' open '$src' to-8bit save '$ours'" "sox -D '$src' -b 8 '$theirs'"
echo "written to $report"
