#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program's icon (dist/icons/org.zkv.Console.svg) into the PNG sizes of the hicolor
# theme under dist/icons/hicolor/. Run it after changing the SVG and commit the PNGs.
# Needs rsvg-convert (Debian: librsvg2-bin) or ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../dist/icons"

svg=org.zkv.Console.svg
for size in 48 128 256; do
    out="hicolor/${size}x${size}/apps/org.zkv.Console.png"
    mkdir -p "$(dirname "$out")"
    if command -v rsvg-convert >/dev/null 2>&1; then
        rsvg-convert -w "$size" -h "$size" "$svg" -o "$out"
    elif command -v convert >/dev/null 2>&1; then
        convert -background none -density 384 "$svg" -resize "${size}x${size}" "$out"
    else
        echo "render-icons: needs rsvg-convert (sudo apt-get install librsvg2-bin) or convert" >&2
        exit 1
    fi
    echo "$out"
done
