#!/usr/bin/env bash
# How quiet the desktop program is, under a private Xvfb: whole-process wake-ups per second
# (voluntary and involuntary context switches of all threads) and CPU share over a span,
# with no device, with the simulated keyboard and the window shown, and with it hidden;
# then how long start-up takes to the first map of the window and how often it is mapped.
#   bench/desktop_idle.sh BIN_DIR [SECONDS]
# SETTLE=seconds (default 6) passes between start-up and the first span.
# THREADS=1 also prints the wake-ups of each thread.
set -euo pipefail
bin=$(cd "$1" && pwd)
span=${2:-20}
scratch=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=$display XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
export XDG_RUNTIME_DIR=$scratch/run
mkdir -m 700 "$scratch/run"
sleep 1

start() {
  "$bin/velnor7" "$@" >"$scratch/app.log" 2>&1 &
  app=$!
  sleep "${SETTLE:-6}"
  if ! kill -0 "$app" 2>/dev/null; then
    echo "the program ended at start-up:" >&2
    cat "$scratch/app.log" >&2
    exit 1
  fi
}
stop() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=
}

switches() {
  cat /proc/"$app"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n }'
}
thread_switches() {
  for task in /proc/"$app"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(cat "$task/comm")" \
      "$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n }' "$task/status")"
  done | sort
}
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
measure() {
  local switches_before ticks_before switches_after ticks_after
  [ "${THREADS:-0}" = 1 ] && thread_switches >"$scratch/threads.before"
  switches_before=$(switches)
  ticks_before=$(ticks)
  sleep "$span"
  switches_after=$(switches)
  ticks_after=$(ticks)
  awk -v w=$((switches_after - switches_before)) -v t=$((ticks_after - ticks_before)) \
    -v hz="$(getconf CLK_TCK)" -v s="$span" -v what="$1" \
    'BEGIN { printf "%-34s %7.1f wake-ups/s %6.2f %% of one core\n", what, w / s, 100 * t / hz / s }'
  if [ "${THREADS:-0}" = 1 ]; then
    thread_switches >"$scratch/threads.after"
    join "$scratch/threads.before" "$scratch/threads.after" 2>/dev/null |
      awk -v s="$span" 'NF == 5 { printf "    %-8s %-18s %7.1f/s\n", $1, $2, ($5 - $3) / s }'
  fi
}
window_of() { xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -1; }

# No device: the real bus (nothing of ours on it).
start
measure "no device"
stop

start --simulate
measure "simulated keyboard, shown"
xdotool windowunmap "$(window_of)"
sleep 1
measure "simulated keyboard, hidden"
stop

# Map events of top-level windows, from a watcher on the root window started first.
xev -root -event substructure >"$scratch/xev.log" 2>&1 &
xev=$!
sleep 0.5
started=$(date +%s%N)
"$bin/velnor7" --simulate >"$scratch/app.log" 2>&1 &
app=$!
until window=$(window_of) && [ -n "$window" ]; do sleep 0.005; done
first_map=$(date +%s%N)
# The window may be unmapped and mapped again: the time of its last map counts.
last_map=$first_map
state=mapped
for _ in $(seq 300); do
  if xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'; then now=mapped; else now=unmapped; fi
  [ "$now" = mapped ] && [ "$state" = unmapped ] && last_map=$(date +%s%N)
  state=$now
  sleep 0.005
done
sleep 1
kill "$xev" 2>/dev/null || true
window_dec=$(printf '%d' "$window")
maps=$(grep -A1 '^MapNotify' "$scratch/xev.log" | grep -c "window 0x$(printf '%x' "$window_dec")," || true)
printf '%-34s %7.0f ms\n' "start to first map" "$(( (first_map - started) / 1000000 ))"
printf '%-34s %7.0f ms\n' "start to last map" "$(( (last_map - started) / 1000000 ))"
printf '%-34s %7d\n' "MapNotify of the main window" "$maps"
stop
