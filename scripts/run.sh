#!/usr/bin/env bash
# Sets up, builds, and runs the program against the simulated box.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAX7_BUILD_BENCH=OFF >/dev/null
cmake --build build --target ax7ctl
build/src/cli/ax7ctl --device sim read "$@"
