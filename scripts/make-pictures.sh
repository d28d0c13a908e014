#!/bin/sh
# Draws the pictures of the resource folder with ImageMagick: the five tree
# pictures, the 37 index letters, and the pictures of the extra schemes.
# Run it from anywhere; it rewrites the GIF files in place.
set -eu
cd "$(dirname "$0")/../resources/Resource"

FONT=DejaVu-Sans-Bold

# tree PREFIX FOLDER INK PAPER: five 16 x 16 tree pictures PREFIX0..4.gif:
# 0 a page (an entry without children), 1 an open folder (a branch),
# 2 a closed folder (beside a branch's toggle), 3 the closed toggle (plus),
# 4 the open toggle (minus, swapped in by the scripts).
tree() {
  prefix=$1 folder=$2 ink=$3 paper=$4
  mkdir -p "$folder"
  convert -size 16x16 xc:none -fill "$paper" -stroke "$ink" \
    -draw "polygon 3,1 10,1 13,4 13,14 3,14" -draw "line 10,1 10,4" -draw "line 10,4 13,4" \
    -draw "line 5,7 11,7" -draw "line 5,9 11,9" -draw "line 5,11 9,11" "$folder/${prefix}0.gif"
  convert -size 16x16 xc:none -fill "$paper" -stroke "$ink" \
    -draw "polygon 1,3 6,3 7,5 13,5 13,13 1,13" -draw "polygon 3,7 15,7 13,13 1,13" \
    "$folder/${prefix}1.gif"
  convert -size 16x16 xc:none -fill "$paper" -stroke "$ink" \
    -draw "polygon 1,3 6,3 7,5 14,5 14,13 1,13" -draw "line 1,6 14,6" "$folder/${prefix}2.gif"
  convert -size 16x16 xc:none -fill white -stroke "$ink" -draw "rectangle 3,3 12,12" \
    -draw "line 5,7.5 10,7.5" -draw "line 7.5,5 7.5,10" "$folder/${prefix}3.gif"
  convert -size 16x16 xc:none -fill white -stroke "$ink" -draw "rectangle 3,3 12,12" \
    -draw "line 5,7.5 10,7.5" "$folder/${prefix}4.gif"
}

# letter FILE TEXT SHAPE INK PAPER: one 20 x 20 index picture.
letter() {
  file=$1 text=$2 shape=$3 ink=$4 paper=$5
  convert -size 20x20 xc:none -fill "$paper" -stroke "$ink" -draw "$shape" -stroke none \
    -fill "$ink" -font "$FONT" -pointsize 13 -gravity center -annotate +0+0 "$text" "$file"
}

# letters FOLDER PREFIX SHAPE INK PAPER: 0 to 9, a to z and "other".
letters() {
  folder=$1 prefix=$2 shape=$3 ink=$4 paper=$5
  mkdir -p "$folder"
  for c in 0 1 2 3 4 5 6 7 8 9; do
    letter "$folder/$prefix$c.gif" "$c" "$shape" "$ink" "$paper"
  done
  for c in a b c d e f g h i j k l m n o p q r s t u v w x y z; do
    letter "$folder/$prefix$c.gif" "$(echo "$c" | tr a-z A-Z)" "$shape" "$ink" "$paper"
  done
  letter "$folder/${prefix}other.gif" "#" "$shape" "$ink" "$paper"
}

tree iicon img '#003063' '#f3e6b4'
letters Index ichar "roundrectangle 0,0 19,19 3,3" '#003063' '#dde7f3'

# The extra schemes: a green tree and round index letters.
tree green Schemes/green/img '#1e5b2a' '#cfe8c4'
letters Schemes/round/Index round "circle 9.5,9.5 9.5,0.5" '#6a1b1b' '#f6dcdc'
rm -f Schemes/round/Index/roundother.gif
