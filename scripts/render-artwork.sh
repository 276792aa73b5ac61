#!/bin/sh
# Renders the artwork's SVG sources to the PNGs the program embeds (needs rsvg-convert from
# librsvg2-bin). Run after changing an SVG and commit the PNGs: the build itself needs nothing.
set -eu
cd "$(dirname "$0")/../resources"
for source in svg/*.svg; do
    name=$(basename "$source" .svg)
    rsvg-convert --width 120 --height 70 --output "images/$name.png" "$source"
done
rsvg-convert --width 64 --height 64 --output images/kestrel.png kestrel.svg
# The desktop's icon sizes, installed beside the SVG.
for size in 48 64 128 256; do
    mkdir -p "icons/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --output "icons/${size}x${size}/kestrel.png" \
        kestrel.svg
done
