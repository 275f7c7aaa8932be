#!/usr/bin/env bash
# CPU the desktop program takes with the simulated keyboard attached, under a private Xvfb:
# process CPU (user + system) over a span of wall time, shown and then minimised/unmapped.
#   bench/desktop_cpu.sh BIN_DIR [MODE] [SPEED] [SECONDS]
# SETTLE=seconds (default 6) passes between start-up and the first span: the attach takes
# half a second, the key images of an effect's colours are made during its first cycles.
# Needs Xvfb and xdotool (scripts/install-deps.sh installs them).
set -euo pipefail
bin=$(cd "$1" && pwd)
mode=${2:-4}
speed=${3:-4}
span=${4:-20}
scratch=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "${app:-}" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=$display XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
sleep 1
"$bin/velnor7ctl" --simulate light set --mode "$mode" --speed "$speed" --brightness 5 --multicolour >/dev/null
"$bin/velnor7" --simulate >"$scratch/app.log" 2>&1 &
app=$!
sleep "${SETTLE:-6}"  # start-up, attach, first cycles of the effect
if ! kill -0 "$app" 2>/dev/null; then
  echo "the program ended at start-up (is another instance running?):" >&2
  cat "$scratch/app.log" >&2
  exit 1
fi

ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
measure() {
  local before after
  before=$(ticks)
  sleep "$span"
  after=$(ticks)
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$span" -v what="$1" \
    'BEGIN { printf "%-28s %5.2f %% of one core\n", what, 100 * t / hz / s }'
}
measure "shown, mode $mode speed $speed"
window=$(xdotool search --pid "$app" --onlyvisible | head -1)
xdotool windowminimize "$window"
sleep 1
measure "minimised"
xdotool windowunmap "$window"
sleep 1
measure "hidden (unmapped)"
