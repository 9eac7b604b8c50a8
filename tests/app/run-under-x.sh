#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program under an X server of its own (xvfb-run) on Qt's xcb platform. Exits 77,
# which CTest counts as skipped, only when no X server can be started on this machine.
screen="-screen 0 1366x768x24"
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); no X server to test under"
    exit 77
fi
if ! xvfb-run -a -s "$screen" true >/dev/null 2>&1; then
    echo "SKIPPED: the X server (Xvfb) could not be started here"
    exit 77
fi
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "$screen" "$@" -platform xcb
