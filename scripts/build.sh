#!/usr/bin/env bash
# Configures and builds one variant: scripts/build.sh BUILD_DIR [cmake options...]
# BUILD_TARGET=name builds only that target (and what it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
