#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the README's screenshot (docs/screenshot.png): the console on its built-in
# simulator with the demo library, a firing of "Dentine 1" started and photographed during its
# heating, on a virtual X server (Xvfb). Takes about half a minute once built.
# Usage: tools/screenshot.sh [OUTPUT.png]     (BUILD_DIR=build by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${1:-docs/screenshot.png}

if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "screenshot: needs xvfb-run (sudo apt-get install xvfb)" >&2
    exit 1
fi
[ -f "$build/CMakeCache.txt" ] || make configure BUILD_DIR="$build"
cmake --build "$build" --target zkv-screenshot -j "$(nproc)"

# Mass 1 ("Dentine"), layer 0; 27 s at 60 simulated seconds per second reach the heating (at
# higher speeds a tick spans minutes of the firing and the measured curve gets coarse).
LC_ALL=C.UTF-8 timeout 60 xvfb-run -a -s "-screen 0 1366x768x24" \
    "$build/tools/screenshot/zkv-screenshot" "$out" 27 1 0 \
    --simulator --sim-speed 60 --open examples/demo.zkv
