#!/bin/sh
# Draws the About box product picture (a hand-held tester with its gauge and
# hose). Run by hand after a change; the .jpg is committed.
set -e
cd "$(dirname "$0")"
convert -size 238x238 xc:white \
  -fill none -stroke '#3a3f45' -strokewidth 7 -draw "bezier 150,200 200,230 230,170 215,110" \
  -fill '#b8bcc2' -stroke none -draw "rectangle 208,96 222,114" \
  -fill '#2b2f34' -draw "roundrectangle 52,14 168,226 18,18" \
  -fill '#e21a00' -draw "roundrectangle 60,22 160,38 6,6" \
  -fill '#cfe3cf' -draw "roundrectangle 64,48 156,140 8,8" \
  -fill none -stroke '#2b2f34' -strokewidth 5 -draw "arc 74,58 146,130 150,390" \
  -stroke '#e21a00' -strokewidth 4 -draw "line 110,94 134,72" \
  -fill '#2b2f34' -stroke none -draw "circle 110,94 110,100" \
  -fill '#2b2f34' -font DejaVu-Sans-Bold -pointsize 13 -draw "text 87,130 'bar'" \
  -fill '#e21a00' -draw "circle 82,168 82,180" -fill '#4a8f3a' -draw "circle 138,168 138,180" \
  -fill '#8a9099' -draw "roundrectangle 96,158 124,178 5,5" \
  -fill white -font DejaVu-Sans-Bold -pointsize 12 -draw "text 80,212 'VRX-310'" \
  -quality 90 product.jpg
