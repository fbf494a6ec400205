#!/usr/bin/env bash
# The time from starting the window with a 10-minute 44,100 Hz 16-bit stereo file until a window
# titled with that file exists, as a user waits for it.
# Usage: bench/startup_time.sh [RUNS] [VELORIN...]
# Runs each program RUNS times (9 by default), taking turns so that a busy moment of the machine
# falls on all of them alike, and prints each program's median, fastest and slowest start in
# seconds. Without a display it runs itself under xvfb-run. The window is found by polling the X
# server's window list, which adds a few milliseconds to every figure.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-9}"
shift || true
programs=("$@")
[[ ${#programs[@]} -gt 0 ]] || programs=("${VELORIN_BUILD_DIR:-$root/build}/velorin")
for program in "${programs[@]}"; do [[ -x "$program" ]] || { echo "no $program; run scripts/build first" >&2; exit 1; }; done
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$runs" "${programs[@]}"
fi
for tool in sox xwininfo; do command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }; done

work="$(mktemp -d)"
pid=""
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
sox -n -r 44100 -b 16 -c 2 "$work/ten.wav" synth 600 sine 440 vol 0.5
title='"Velorin II - ten.wav"'

# Seconds until the titled window exists; the program is then ended.
start_once() {
  local began ended
  began=$(date +%s%N)
  "$1" "$work/ten.wav" >/dev/null 2>&1 &
  pid=$!
  until xwininfo -root -tree 2>/dev/null | grep -qF "$title"; do
    kill -0 "$pid" 2>/dev/null || { echo "$1 ended before its window showed" >&2; exit 1; }
  done
  ended=$(date +%s%N)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  echo $(( (ended - began) / 1000 ))
}

# The first start of each fills the caches; it is not counted.
for program in "${programs[@]}"; do start_once "$program" >/dev/null; done
for ((i = 0; i < ${#programs[@]}; ++i)); do : >"$work/times.$i"; done
for ((run = 0; run < runs; ++run)); do
  for ((i = 0; i < ${#programs[@]}; ++i)); do start_once "${programs[$i]}" >>"$work/times.$i"; done
done
printf '%-50s %8s %8s %8s\n' program median fastest slowest
for ((i = 0; i < ${#programs[@]}; ++i)); do
  sort -n "$work/times.$i" | awk -v name="${programs[$i]}" '{ t[NR] = $1 / 1e6 }
    END { printf "%-50s %8.3f %8.3f %8.3f\n", name, t[int((NR + 1) / 2)], t[1], t[NR] }'
done
