#!/bin/sh
# Draws the window icon curve.png (64 x 64): axes, scattered points and a fitted curve.
# Needs ImageMagick's convert. Run from this folder; commit the result.
set -e
convert -size 64x64 xc:none \
  -fill white -stroke '#3c3c3c' -strokewidth 2 -draw 'roundrectangle 1,1 62,62 8,8' \
  -stroke '#505050' -strokewidth 2 -draw 'line 10,54 58,54' -draw 'line 10,54 10,6' \
  -fill none -stroke '#1f6fd1' -strokewidth 3 -draw 'path "M 12,52 Q 34,50 56,10"' \
  -fill '#e0402a' -stroke none \
  -draw 'circle 16,49 18.5,49' -draw 'circle 26,48 28.5,48' -draw 'circle 36,41 38.5,41' \
  -draw 'circle 45,33 47.5,33' -draw 'circle 53,17 55.5,17' \
  -strip PNG32:curve.png
