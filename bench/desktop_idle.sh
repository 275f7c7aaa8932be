#!/usr/bin/env bash
# How quiet the desktop program is, under a private Xvfb: whole-process wake-ups per second
# (voluntary and involuntary context switches of all threads) and CPU share over a span,
# with no device, with the simulated keyboard and the window shown, minimised and hidden;
# then how long start-up takes to the first map of the window and how often it is mapped.
#   bench/desktop_idle.sh BIN_DIR [SECONDS] [MODE SPEED]
# MODE and SPEED set the keyboard's lighting first (brightness 5, multicolour), as
# `velnor7ctl light set` does; without them the profile's lighting stays.
# SETTLE=seconds (default 6) passes between start-up and the first span: the attach takes
# half a second, the key images of an effect's colours are made during its first cycles.
# THREADS=1 also prints the wake-ups of each thread.
# Needs Xvfb, xdotool and xev (scripts/install-deps.sh installs them).
set -euo pipefail
bin=$(cd "$1" && pwd)
span=${2:-20}
mode=${3:-}
speed=${4:-4}
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
if [ -n "$mode" ]; then
  "$bin/velnor7ctl" --simulate light set --mode "$mode" --speed "$speed" --brightness 5 --multicolour >/dev/null
fi

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

thread_switches() {
  for task in /proc/"$app"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' _ <"$task/comm")" \
      "$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n }' "$task/status")"
  done | LC_ALL=C sort
}
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
measure() {
  local ticks_before ticks_after
  thread_switches >"$scratch/threads.before"
  ticks_before=$(ticks)
  sleep "$span"
  thread_switches >"$scratch/threads.after"
  ticks_after=$(ticks)
  # Per thread: what it did in the span (a thread started meanwhile counts whole, one that
  # ended is left out, as its last count cannot be read).
  LC_ALL=C join -a2 -e 0 -o 0,2.2,1.3,2.3 "$scratch/threads.before" "$scratch/threads.after" >"$scratch/threads.span"
  awk -v t=$((ticks_after - ticks_before)) -v hz="$(getconf CLK_TCK)" -v s="$span" -v what="$1" \
    '{ w += $4 - $3 } END { printf "%-34s %7.1f wake-ups/s %6.2f %% of one core\n", what, w / s, 100 * t / hz / s }' \
    "$scratch/threads.span"
  if [ "${THREADS:-0}" = 1 ]; then
    awk -v s="$span" '{ printf "    %-8s %-18s %7.1f/s\n", $1, $2, ($4 - $3) / s }' "$scratch/threads.span"
  fi
}
window_of() { xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -1; }

# No device: the real bus (nothing of ours on it).
start
measure "no device"
stop

start --simulate
window=$(window_of)
measure "simulated keyboard, shown"
# Without a window manager a minimise does nothing: then this span is another shown one.
xdotool windowminimize "$window"
sleep 1
measure "simulated keyboard, minimised"
xdotool windowunmap "$window"
sleep 1
measure "simulated keyboard, hidden"
stop

# Map events of top-level windows, each stamped as it arrives, from a watcher on the root
# window started first.
stdbuf -oL xev -root -event substructure 2>/dev/null |
  while IFS= read -r line; do printf '%s %s\n' "$(date +%s%N)" "$line"; done >"$scratch/xev.log" &
xev=$!
sleep 0.5
started=$(date +%s%N)
"$bin/velnor7" --simulate >"$scratch/app.log" 2>&1 &
app=$!
until window=$(window_of) && [ -n "$window" ]; do sleep 0.01; done
sleep 3
pkill -P "$xev" xev 2>/dev/null || true
kill "$xev" 2>/dev/null || true
# "MapNotify event ..." is followed by "... window 0x..., override NO"; the stamp is the event's.
maps=$(awk -v id="$(printf 'window 0x%x,' "$((window))")" '
  / MapNotify event/ { stamp = $1; next }
  stamp != "" && index($0, id) { print stamp } { stamp = "" }' "$scratch/xev.log")
count=$(grep -c . <<<"$maps" || true)
printf '%-34s %7.0f ms\n' "start to first map" "$(( ($(head -1 <<<"$maps") - started) / 1000000 ))"
printf '%-34s %7.0f ms\n' "start to last map" "$(( ($(tail -1 <<<"$maps") - started) / 1000000 ))"
printf '%-34s %7d\n' "MapNotify of the main window" "$count"
stop
