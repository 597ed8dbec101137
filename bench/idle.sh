#!/bin/bash
# What the desktop program costs while the calculator sleeps: wake-ups (voluntary and
# involuntary context switches of all its threads) and CPU time (utime + stime, and the
# scheduler's nanosecond run time), read from /proc over a window of SECONDS.
#
#   bench/idle.sh [BUILD] [SECONDS] [deep|light|loop]
#
# BUILD (default build) holds VALDOR and nutasm. deep: a two-word firmware switches the
# display off and sleeps (the calculator switched off); light: the demo firmware greets and
# sleeps with the display on; loop: a firmware loop that never sleeps, at normal speed with
# Ticks = 256. The program runs offscreen from a temporary copy, so that its files stay there.
set -eu
build=$(realpath "${1:-build}")
seconds=${2:-10}
mode=${3:-deep}
home=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$home"' EXIT

cp "$build/VALDOR" "$home/"
case "$mode" in
  light) cp "$build/demo.rom" "$home/idle.rom" ;;
  deep) printf '        .org 0\n        DISOFF\n        POWOFF\n' >"$home/idle.asm" ;;
  loop) printf '        .org 0\nLOOP:   A=A+1 W\n        GONC LOOP\n' >"$home/idle.asm" ;;
  *) echo "usage: $0 [BUILD] [SECONDS] [deep|light|loop]" >&2; exit 2 ;;
esac
[ -f "$home/idle.asm" ] && "$build/tools/nutasm" -o "$home/idle.rom" "$home/idle.asm" >/dev/null
printf '[ROM]\nModules=1\nModule1=0 idle.rom\n[CPU]\nTicks=256\nSound=0\n' >"$home/VALDOR.Ini"

QT_QPA_PLATFORM=offscreen "$home/VALDOR" >/dev/null 2>&1 &
pid=$!
sleep 4  # start-up shows its messages for a few seconds, then the firmware sleeps

# switches, utime+stime in clock ticks, run time in ns: summed over the threads
sample() {
  local sw=0 ticks=0 ns=0 t
  for t in /proc/"$pid"/task/*; do
    sw=$((sw + $(awk '/ctxt_switches/ { s += $2 } END { print s }' "$t/status")))
    ticks=$((ticks + $(awk '{ print $14 + $15 }' "$t/stat")))
    ns=$((ns + $(awk '{ print $1 }' "$t/schedstat")))
  done
  echo "$sw $ticks $ns"
}
read -r sw0 ticks0 ns0 < <(sample)
sleep "$seconds"
read -r sw1 ticks1 ns1 < <(sample)
hz=$(getconf CLK_TCK)
awk -v s="$seconds" -v sw=$((sw1 - sw0)) -v t=$((ticks1 - ticks0)) -v ns=$((ns1 - ns0)) -v hz="$hz" \
  -v mode="$mode" -v threads="$(ls /proc/$pid/task | wc -l)" 'BEGIN {
  printf "%s, %d s, %d threads: %.1f wake-ups/s, %.3f %% of one core (utime+stime), %.3f %% (run time)\n",
         mode, s, threads, sw / s, 100 * t / hz / s, 100 * ns / 1e9 / s }'
