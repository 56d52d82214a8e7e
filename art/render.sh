#!/usr/bin/env bash
# Redraws the game's pictures in thirdparty/ from the SVG sources beside this script.
# The rendered PNGs are committed, so building and playing never need this: run it after
# changing a source. Each picture becomes an opaque 8-bit RGB PNG of exactly the size the board
# window's layout gives it; the client copies pictures without blending, so they carry no alpha.
set -euo pipefail

art=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$art")
"$root/scripts/install-deps" --art

# name width height
pictures="
exit 144 144
y1 108 144
y2 108 144
w1 108 144
w2 108 144
gz 72 72
xz 72 72
from_step 72 72
to_step 72 72
from_won 72 72
to_won 72 72
from_lost 72 72
to_lost 72 72
st 64 64
jd 64 64
b 64 64
wh 64 64
lost_st 26 26
lost_jd 26 26
lost_b 26 26
hj 360 40
jz 800 500
1 360 904
2 360 904
menu/title 480 80
menu/solo 400 28
menu/easy 128 64
menu/normal 128 64
menu/hard 128 64
menu/pair 400 56
menu/host 400 56
menu/join 400 56
menu/resume 400 56
menu/quit 400 56
menu/address 400 28
menu/key 400 28
menu/go 192 56
menu/back 192 56
menu/waiting 400 28
menu/refused_unanswered 400 56
menu/refused_key 400 56
menu/refused_relay 400 56
menu/refused_other 400 56
"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/menu/glyph" "$root/thirdparty/menu/glyph"

# The launcher's menu types addresses and keys with one picture per character, named by the
# character's ASCII code in hexadecimal, since a and A must not share a file name on a system
# that ignores case. Each is art/menu/glyph.svg with the character in place.
glyphs="0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.:-[]"
for ((i = 0; i < ${#glyphs}; i++)); do
  character=${glyphs:i:1}
  name=menu/glyph/$(printf '%02X' "'$character")
  sed "s/GLYPH/$character/" "$art/menu/glyph.svg" >"$work/$name.svg"
  pictures+="$name 24 40"$'\n'
done

while read -r name width height; do
  [ -n "$name" ] || continue
  out="$root/thirdparty/$name.png"
  # rsvg-convert resolves the lobby's and the badges' references to the piece sources relative
  # to the SVG.
  source="$art/$name.svg"
  [ -f "$source" ] || source="$work/$name.svg"
  rsvg-convert --width "$width" --height "$height" --format png \
    --output "$work/$name.png" "$source"
  # Anything left transparent would show black in the game, so flatten it onto black here too.
  convert "$work/$name.png" -background black -alpha remove -alpha off -strip "PNG24:$out"
  optipng -quiet -o5 -nc -nb -strip all "$out"
  size=$(identify -format '%wx%h' "$out")
  if [ "$size" != "${width}x${height}" ]; then
    echo "render: $name.png came out $size, not ${width}x${height}" >&2
    exit 1
  fi
done <<<"$pictures"

# The installed game's icon for a desktop's menu is the rock piece, kept apart from the pictures the
# client loads.
mkdir -p "$root/thirdparty/icon"
convert "$root/thirdparty/st.png" -strip "PNG24:$root/thirdparty/icon/rock-scissors-paper.png"

du -cb "$root"/thirdparty/*.png "$root"/thirdparty/menu/*.png "$root"/thirdparty/menu/glyph/*.png | tail -n 1 | awk '{ printf "render: %d bytes of pictures\n", $1 }'
