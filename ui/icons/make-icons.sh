#!/bin/sh
# Draws the application icon (a page of text with a pencil over it) once at
# 192 px and scales it down to 48, 32 and 16 px. Run once with ImageMagick;
# the PNGs are committed.
set -e
cd "$(dirname "$0")"
convert=/usr/bin/convert
large=$(mktemp --suffix=.png)
trap 'rm -f "$large"' EXIT
$convert -size 192x192 xc:none \
    -stroke '#2c4a7a' -strokewidth 10 -fill white \
    -draw "path 'M 30,10 L 120,10 L 162,52 L 162,182 L 30,182 Z'" \
    -fill '#c9d8ee' -draw "path 'M 120,10 L 120,52 L 162,52 Z'" \
    -stroke '#3f6fb5' -strokewidth 10 \
    -draw "line 54,74 132,74" -draw "line 54,100 140,100" \
    -draw "line 54,126 112,126" -draw "line 54,152 96,152" \
    -stroke '#7a3d0c' -strokewidth 6 -fill '#f08a24' \
    -draw "path 'M 166,84 L 186,104 L 122,168 L 96,178 L 102,148 Z'" \
    -fill '#fde3b8' -draw "path 'M 102,148 L 122,168 L 96,178 Z'" \
    "$large"
for size in 48 32 16; do
    $convert "$large" -filter Lanczos -resize ${size}x${size} \
        -define png:exclude-chunks=date,time textorum-${size}.png
done
