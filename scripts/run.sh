#!/usr/bin/env bash
# Installs what is needed, builds, and starts the configurator. With no
# VELNOR7 device on the USB bus it uses the simulated keyboard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_TARGET=velnor7 scripts/build.sh build -DVELNOR7_BENCH=OFF -DVELNOR7_TESTS=OFF
cmake --build build --target velnor7_data >/dev/null

simulate=()
if ! grep -qsi '^HID_ID=.*:0000F0E1:' /sys/class/hidraw/*/device/uevent; then
  echo "No VELNOR7 device is plugged in: using the simulated keyboard."
  simulate=(--simulate)
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting on Qt's offscreen platform (the window is not visible)." >&2
  export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/velnor7 "${simulate[@]}" "$@"
