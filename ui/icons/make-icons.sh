#!/bin/sh
# Renders the application icon, textorum.svg (a page of text with a pencil
# over it), at 192 px and scales it down to 48, 32 and 16 px, which keeps the
# small sizes sharper than rendering them directly. Run once by hand with
# rsvg-convert (librsvg2-bin) and ImageMagick; the PNGs are committed.
set -e
cd "$(dirname "$0")"
convert=/usr/bin/convert
large=$(mktemp --suffix=.png)
trap 'rm -f "$large"' EXIT
rsvg-convert -w 192 -h 192 textorum.svg -o "$large"
for size in 48 32 16; do
    $convert "$large" -filter Lanczos -resize ${size}x${size} \
        -define png:exclude-chunks=date,time textorum-${size}.png
done
