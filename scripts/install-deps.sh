#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the programs and the tests need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libjsoncpp-dev libhidapi-dev libudev-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev python3
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev fonts-dejavu-core fonts-wqy-microhei dbus-daemon
  libx11-dev libxi-dev xvfb xauth xdotool x11-utils libglib2.0-bin gsettings-desktop-schemas
  desktop-file-utils appstream
  libcurl4-openssl-dev libcpp-httplib-dev libssl-dev openssl
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    exec sudo "$0" "$@"
  fi
  echo "install-deps: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
