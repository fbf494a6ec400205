#!/usr/bin/env bash
# Times whole velorin-cli commands against the command that does the same job with sox (or with
# cat and sync for a plain copy, ffmpeg for loudness), on one generated 10-minute stereo file:
# 44,100 Hz 16-bit, or 48,000 Hz 24-bit, or the float copy of that one; loudness and resampling
# work on a 48,000 Hz file of the same encoding.
# Usage: bench/compare_sox.sh [BUILD_DIR] [RUNS] [16|24|float] [JOB]
# JOB, when given, runs only the jobs whose name contains it (e.g. "resample").
# Each pair runs RUNS times (5 by default), ours and theirs alternately, under /usr/bin/time; the
# table gives the medians of wall time, CPU time (user + system) and peak resident memory, and
# our figure divided by theirs; then the least CPU time of each side's runs and their ratio. On a
# virtual machine the system time of a run that takes hundreds of fresh megabytes now and then
# jumps several-fold while the work stays the same: noise only ever adds, so the least time shows
# the work itself when the medians are caught by it. Our saves end with fsync, so every sox run ends with a sync of its
# file: on ext4 our fsync would otherwise also wait for the pages sox left dirty. Results go to
# standard output and to BUILD_DIR/bench/compare_sox-FORMAT.md.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-${VELORIN_BUILD_DIR:-$root/build}}")"
runs="${2:-5}"
format="${3:-16}"
case "$format" in
  16) rate=44100 encoding="-b 16" ;;
  24) rate=48000 encoding="-b 24" ;;
  float) rate=48000 encoding="-b 32 -e floating-point" ;;
  *) echo "format $format: 16, 24 or float" >&2; exit 64 ;;
esac
only="${4:-}"
cli="$build/velorin-cli"
[[ -x "$cli" ]] || { echo "no $cli; run scripts/build first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
src="$work/source.wav"
ours="$work/ours.wav"
theirs="$work/theirs.wav"
# The float file is a copy of the 24-bit one, as a workstation would export it.
if [[ $format == float ]]; then
  sox -n -r $rate -b 24 -c 2 "$work/source24.wav" synth 600 sine 440 sine 523.25 gain -6
  sox "$work/source24.wav" $encoding "$src"
  rm "$work/source24.wav"
else
  sox -n -r $rate $encoding -c 2 "$src" synth 600 sine 440 sine 523.25 gain -6
fi

report="$build/bench/compare_sox-$format.md"
mkdir -p "$(dirname "$report")"

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Runs a command once; appends "wall cpu peakMB" to the file $1. The wall time is taken to the
# microsecond around the run; /usr/bin/time gives CPU time (to 10 ms) and peak memory.
run() {
  local out="$1"
  shift
  local start=$EPOCHREALTIME
  /usr/bin/time -f "%U %S %M" -o "$work/time" sh -c "$*" >/dev/null 2>&1
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" '{printf "%.4f %.3f %.1f\n", e - s, $1 + $2, $3 / 1024}' "$work/time" >>"$out"
}

{
  echo "| job | wall ours s | wall theirs s | wall ratio | CPU ours s | CPU theirs s | CPU ratio | peak ours MB | peak theirs MB | least CPU ours s | least CPU theirs s | least CPU ratio |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
} | tee "$report"

compare() {
  local name="$1" velorin="$2" other="$3"
  [[ "$name" == *"$only"* ]] || return 0
  : >"$work/a"
  : >"$work/b"
  for ((i = 0; i < runs; ++i)); do
    rm -f "$ours" "$theirs"
    run "$work/a" "$velorin"
    rm -f "$ours" "$theirs"
    run "$work/b" "$other"
  done
  local wa wb ca cb ma mb la lb
  wa=$(cut -d' ' -f1 "$work/a" | median); wb=$(cut -d' ' -f1 "$work/b" | median)
  ca=$(cut -d' ' -f2 "$work/a" | median); cb=$(cut -d' ' -f2 "$work/b" | median)
  ma=$(cut -d' ' -f3 "$work/a" | median); mb=$(cut -d' ' -f3 "$work/b" | median)
  la=$(cut -d' ' -f2 "$work/a" | sort -g | head -1); lb=$(cut -d' ' -f2 "$work/b" | sort -g | head -1)
  awk -v n="$name" -v wa="$wa" -v wb="$wb" -v ca="$ca" -v cb="$cb" -v ma="$ma" -v mb="$mb" -v la="$la" -v lb="$lb" 'BEGIN {
    printf "| %s | %.3f | %.3f | %.2f | %.3f | %.3f | %.2f | %.0f | %.0f | %.3f | %.3f | %.2f |\n",
      n, wa, wb, (wb > 0 ? wa / wb : 0), ca, cb, (cb > 0 ? ca / cb : 0), ma, mb, la, lb, (lb > 0 ? la / lb : 0) }' | tee -a "$report"
}

cli_q="'$cli'"
durable="&& sync '$theirs'"
compare "reverse vs sox reverse" "$cli_q open '$src' reverse save '$ours'" "sox '$src' '$theirs' reverse $durable"
compare "invert vs sox vol -1" "$cli_q open '$src' invert save '$ours'" "sox '$src' '$theirs' vol -1 $durable"
compare "normalize 100 vs sox gain -n" "$cli_q open '$src' normalize 100 save '$ours'" "sox '$src' '$theirs' gain -n $durable"
compare "fade-in vs sox fade h" "$cli_q open '$src' fade-in save '$ours'" "sox '$src' '$theirs' fade h 600 $durable"
compare "open and save vs cat and sync" "$cli_q open '$src' save '$ours'" "cat '$src' > '$ours' && sync '$ours'"
# sox's results differ in value from ours, so only the cost is compared: remix - averages the
# channels as to-mono does; -D leaves out the dither sox would add when dropping bits.
compare "to-mono vs sox -D remix -" "$cli_q open '$src' to-mono save '$ours'" "sox -D '$src' '$theirs' remix - $durable"
compare "to-8bit vs sox -D -b 8" "$cli_q open '$src' to-8bit save '$ours'" "sox -D '$src' -b 8 '$theirs' $durable"
if [[ $format != 16 ]]; then
  compare "to-16bit vs sox -D -b 16" "$cli_q open '$src' to-16bit save '$ours'" "sox -D '$src' -b 16 '$theirs' $durable"
fi
compare "halve-rate vs sox rate $((rate / 2))" "$cli_q open '$src' halve-rate save '$ours'" "sox '$src' '$theirs' rate $((rate / 2)) $durable"
# Both are first-order recursions over every sample; sox's single-pole filters are designed
# differently (-3 dB where ours has -6 dB), so again only the cost is compared.
compare "low-pass 1000 vs sox lowpass -1 1000" "$cli_q open '$src' low-pass 1000 save '$ours'" "sox '$src' '$theirs' lowpass -1 1000 $durable"
compare "high-pass 1000 vs sox highpass -1 1000" "$cli_q open '$src' high-pass 1000 save '$ours'" "sox '$src' '$theirs' highpass -1 1000 $durable"
compare "echo 100 50 vs sox echo 1 1 100 0.5" "$cli_q open '$src' echo 100 50 save '$ours'" "sox '$src' '$theirs' echo 1 1 100 0.5 $durable"
# One minute from the middle: both read the whole file up to its end, ours writes it from memory.
compare "select crop vs sox trim" "$cli_q open '$src' select $((270 * rate)) $((330 * rate - 1)) crop save '$ours'" "sox '$src' '$theirs' trim 270 60 $durable"
# Ours adds the tone to a silent file read from disk, sox makes it from nothing.
silent="$work/silent.wav"
sox -n -r $rate $encoding -c 2 "$silent" trim 0 600
compare "sine 1000 50 on silence vs sox synth sine 1000" "$cli_q open '$silent' sine 1000 50 save '$ours'" "sox -n -r $rate $encoding -c 2 '$theirs' synth 600 sine 1000 $durable"
# Pink noise, so that the meter's gates and the resampler's filter see sound of every frequency.
src48="$work/source48.wav"
sox -R -n -r 48000 $encoding -c 2 "$src48" synth 600 pinknoise gain -10
compare "loudness vs ffmpeg ebur128=peak=true" "$cli_q open '$src48' loudness" "ffmpeg -nostdin -nostats -i '$src48' -af ebur128=peak=true -f null -"
compare "resample 44100 vs sox -D rate -v 44100" "$cli_q open '$src48' resample 44100 save '$ours'" "sox -D '$src48' '$theirs' rate -v 44100 $durable"
echo "written to $report"
