#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package built by `make package`: unpacks it into a temporary root, runs the
# console's --version from there without a display, and validates the installed desktop entry
# and AppStream data. Usage: dist/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

deb=$(ls -t "$build"/zkv-console_*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    echo "check-package: no package in $build (run 'make package' first)" >&2
    exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "check-package: $*" >&2; exit 1; }

echo "$deb: version $version"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6serialport6 libqt6sql6-sqlite libcpp-httplib; do
    dpkg-deb -f "$deb" Depends | grep -q "$lib" || fail "Depends lacks $lib"
done

# Only the two programs: no tests, no benchmarks.
[ "$(ls "$root/usr/bin" | tr '\n' ' ')" = "zkv-console zkv-furnace-sim " ] ||
    fail "unexpected programs in usr/bin: $(ls "$root/usr/bin")"
for f in share/applications/org.zkv.Console.desktop share/metainfo/org.zkv.Console.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.zkv.Console.svg \
         share/icons/hicolor/48x48/apps/org.zkv.Console.png \
         share/icons/hicolor/128x128/apps/org.zkv.Console.png \
         share/icons/hicolor/256x256/apps/org.zkv.Console.png \
         share/doc/zkv-console/service.md share/doc/zkv-console/examples/demo.zkv \
         share/doc/zkv-console/LICENSE share/doc/zkv-console/copyright; do
    [ -s "$root/usr/$f" ] || fail "missing usr/$f"
done

said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/zkv-console" --version)
[ "$said" = "zkv-console $version" ] || fail "zkv-console --version said '$said'"
echo "$said"
"$root/usr/bin/zkv-furnace-sim" --help >/dev/null || fail "zkv-furnace-sim --help failed"

desktop-file-validate "$root/usr/share/applications/org.zkv.Console.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.zkv.Console.metainfo.xml"
# The whole tree: the metainfo's desktop entry and icon are where it says.
appstreamcli validate-tree --no-net "$root"
echo "Package checks passed."
