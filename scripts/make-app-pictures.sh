#!/bin/sh
# shellcheck disable=SC2086 # $PNG below holds two options
# Draws the desktop program's own pictures with ImageMagick: the start-up
# picture, the emblem of the about box and of the window, and the three
# buttons of the upload target list. Run it from anywhere; it rewrites the
# PNG files of app/pictures/ in place.
set -eu
cd "$(dirname "$0")/../app/pictures"

FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold
# 8-bit PNG without time stamps, so that a new run leaves the files unchanged
# (two options: $PNG is split into words on purpose).
PNG='-depth 8 -define png:exclude-chunk=date,time'

# The colours every picture shares: a deep green running into ink blue, pale
# leaf-green pages and the lines that join them.
GREEN='#14513a'
INK='#0c1d33'
PAGE='#dcefd3'
EDGE='#0a2a1f'
LINE='#9fd3a8'
BERRY='#b8336a'

# box X0 Y0 X1 Y1: the drawing of one page of the tree: a pale box with a
# line of text across it.
box() {
  x0=$1 y0=$2 x1=$3 y1=$4
  echo "fill '$PAGE' stroke '$EDGE' roundrectangle $x0,$y0 $x1,$y1 3,3"
  echo "stroke '#7fa58a' line $((x0 + 6)),$(((y0 + y1) / 2)) $((x1 - 6)),$(((y0 + y1) / 2))"
}

# splash.png, 390 x 275: the tree of a small site above the program's name.
splash() {
  lines="fill none stroke '$LINE' stroke-width 2
    line 195,42 195,54  line 85,54 305,54
    line 85,54 85,62  line 195,54 195,62  line 305,54 305,62
    line 85,80 85,92  line 61,92 109,92  line 61,92 61,100  line 109,92 109,100
    line 195,80 195,92  line 150,92 240,92
    line 150,92 150,100  line 195,92 195,100  line 240,92 240,100
    line 305,80 305,100"
  pages="stroke-width 1
    $(box 165 22 225 42)
    $(box 57 62 113 80) $(box 167 62 223 80) $(box 277 62 333 80)
    $(box 45 100 77 114) $(box 93 100 125 114)
    $(box 132 100 168 114) $(box 177 100 213 114) $(box 222 100 258 114)
    $(box 287 100 323 114)
    stroke none fill '$BERRY' circle 220,27 223,27"
  convert -size 390x275 gradient:"$GREEN"-"$INK" -draw "$lines" -draw "$pages" \
    -fill '#f3f8ef' -font "$BOLD" -pointsize 40 -gravity north -annotate +0+138 'Bramblel' \
    -stroke "$LINE" -strokewidth 1 -draw "line 125,194 265,194" -stroke none \
    -fill "$PAGE" -font "$FONT" -pointsize 14 -annotate +0+203 'Site maps for the Vellumark suite' \
    -fill '#9fbfa8' -pointsize 11 -gravity southwest -annotate +14+10 'Starting...' \
    -gravity northwest -fill none -stroke "$EDGE" -strokewidth 1 -draw "rectangle 0,0 389,274" \
    -type TrueColor $PNG splash.png
}

# emblem SIZE FILE: the tree of three pages below one on a rounded tile,
# drawn at 256 x 256 and scaled down.
emblem() {
  size=$1 file=$2
  convert -size 256x256 gradient:"$GREEN"-"$INK" \
    \( -size 256x256 xc:black -fill white -draw "roundrectangle 8,8 247,247 44,44" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill none -stroke "$LINE" -strokewidth 12 \
    -draw "line 128,92 128,124" -draw "line 54,124 202,124" \
    -draw "line 54,118 54,150" -draw "line 128,124 128,150" -draw "line 202,118 202,150" \
    -fill "$PAGE" -stroke "$EDGE" -strokewidth 6 \
    -draw "roundrectangle 80,36 176,94 12,12" \
    -draw "roundrectangle 20,148 88,204 10,10" \
    -draw "roundrectangle 94,148 162,204 10,10" \
    -draw "roundrectangle 168,148 236,204 10,10" \
    -stroke '#7fa58a' -strokewidth 8 \
    -draw "line 98,58 158,58" -draw "line 98,74 142,74" \
    -draw "line 34,176 74,176" -draw "line 108,176 148,176" -draw "line 182,176 222,176" \
    -stroke none -fill "$BERRY" -draw "circle 168,44 180,44" \
    -resize "${size}x${size}" $PNG "$file"
}

splash
emblem 96 about.png
emblem 64 bramblel.png

# The buttons of the upload target list, 16 x 16 on a clear background.
# Properties: a sheet with text lines and a pencil across its corner.
convert -size 16x16 xc:none +antialias -fill white -stroke '#3a4a5a' \
  -draw "polygon 1,1 9,1 12,4 12,14 1,14" -draw "line 9,1 9,4" -draw "line 9,4 12,4" \
  -stroke none -fill '#5b7a9a' -draw "rectangle 3,6 9,6" -draw "rectangle 3,8 8,8" \
  -draw "rectangle 3,10 6,10" -antialias \
  -stroke '#7a4a10' -fill '#f0b030' -draw "polygon 14,5 15.5,6.5 9,13 7.5,11.5" \
  -fill '#404040' -stroke none -draw "polygon 7.5,11.5 9,13 6.5,14" \
  $PNG target-properties.png
# Add: a green plus.
convert -size 16x16 xc:none -fill '#3cae3c' -stroke '#1d6b1d' \
  -draw "polygon 6,1.5 10,1.5 10,6 14.5,6 14.5,10 10,10 10,14.5 6,14.5 6,10 1.5,10 1.5,6 6,6" \
  $PNG target-add.png
# Remove: a red cross.
convert -size 16x16 xc:none -fill '#d83a3a' -stroke '#8a1a1a' \
  -draw "polygon 2,4.5 4.5,2 8,5.5 11.5,2 14,4.5 10.5,8 14,11.5 11.5,14 8,10.5 4.5,14 2,11.5 5.5,8" \
  $PNG target-remove.png
