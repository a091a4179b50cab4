#!/usr/bin/env bash
# Sets up, builds, reads the simulated box once with ax7ctl, then starts the desktop program
# against the simulated box.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAX7_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target ax7ctl ax7-control
build/src/cli/ax7ctl --device sim read
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: skipping the desktop program (run it with a display, or under xvfb-run)."
  exit 0
fi
exec build/src/shell/ax7-control --device sim "$@"
