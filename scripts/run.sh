#!/usr/bin/env bash
# Installs what is needed, builds, and starts the configurator. With no
# VELNOR7 device on the USB bus it uses the simulated keyboard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build -DVELNOR7_BENCH=OFF -DVELNOR7_TESTS=OFF

simulate=()
if ! grep -qsi '^HID_ID=.*:0000F0E1:' /sys/class/hidraw/*/device/uevent; then
  echo "No VELNOR7 device is plugged in: using the simulated keyboard."
  simulate=(--simulate)
fi
# The desktop program is not built yet; until then the command-line companion
# shows the device being found and read.
echo "Running: velnor7ctl ${simulate[*]} list, then info"
build/bin/velnor7ctl "${simulate[@]}" list
build/bin/velnor7ctl "${simulate[@]}" info
