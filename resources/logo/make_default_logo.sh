#!/bin/sh
# Draws the built-in default company logo (a gauge over "LOGO"; no words of
# any one language, since the picture is the same in every language).
# Run by hand after a change; the .jpg is committed.
set -e
cd "$(dirname "$0")"
convert -size 230x192 xc:'#f4f8f4' \
  -fill none -stroke '#e21a00' -strokewidth 10 -draw "arc 55,12 175,132 150,390" \
  -stroke '#30343a' -strokewidth 3 \
  -draw "line 70,72 80,72" -draw "line 150,72 160,72" -draw "line 115,27 115,37" \
  -draw "line 83,40 90,47" -draw "line 147,40 140,47" \
  -stroke '#30343a' -strokewidth 5 -draw "line 115,72 146,46" \
  -fill '#30343a' -stroke none -draw "circle 115,72 115,80" \
  -fill '#e21a00' -draw "rectangle 94,104 136,114" \
  -fill '#30343a' -font DejaVu-Sans-Bold -pointsize 30 -gravity north -annotate +0+130 'LOGO' \
  -quality 90 default_logo.jpg
