#!/usr/bin/env bash
# Draws the plug-in logo (bitmap resource 129): logo.mvg over a blue
# gradient, 160 x 112, written as an uncompressed 8-bit BMP with a full
# 256-entry colour table (logo.bmp, committed so the build needs no ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"
convert -size 160x112 gradient:'#203880'-'#000818' \
        -draw "$(cat logo.mvg)" \
        -dither None -colors 256 -type Palette -compress None \
        BMP3:logo-raw.bmp
python3 pad-palette.py logo-raw.bmp logo.bmp
rm -f logo-raw.bmp
