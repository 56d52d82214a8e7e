#!/usr/bin/env bash
# Composes the committed pictures the way the client paints them, for looking at them at 100 %:
#   art/out/contact-sheet.png   all the pictures, labelled with their file names
#   art/out/board-player1.png   the 360 x 904 board window of a dealt game as player 1 sees it:
#                               own pieces face up in the upper half, the opponent's face down in
#                               the lower half, one empty square per half, one own piece selected,
#                               player 1 to move
#   art/out/board-player2.png   the same deal as player 2 sees it, player 2 to move, a piece selected
set -euo pipefail

art=$(cd "$(dirname "$0")" && pwd)
pics=$(dirname "$art")/thirdparty
out="$art/out"
mkdir -p "$out"

sheet_row() {
  montage -background '#9aa0a8' -fill black -font DejaVu-Sans -pointsize 12 -label '%f' \
    -geometry +6+6 -tile x1 "$@" miff:-
}
{
  sheet_row "$pics"/{exit,y1,y2,w1,w2}.png
  sheet_row "$pics"/{gz,xz,st,jd,b,wh,hj}.png
  sheet_row "$pics"/{jz,1,2}.png
  sheet_row "$pics"/{from,to}_{step,won,lost}.png "$pics"/lost_{st,jd,b}.png
} | convert -background '#9aa0a8' - -gravity west -append -depth 8 "$out/contact-sheet.png"

# One fixed deal: in each half 8 rocks, 8 scissors, 8 papers and one empty square, shuffled
# with a seeded generator so the mock stays the same from run to run.
deal_half() {
  local -a cells=(st st st st st st st st jd jd jd jd jd jd jd jd b b b b b b b b empty)
  local i j tmp
  RANDOM=$1
  for ((i = 24; i > 0; i--)); do
    j=$((RANDOM % (i + 1)))
    tmp=${cells[i]}; cells[i]=${cells[j]}; cells[j]=$tmp
  done
  echo "${cells[@]}"
}
read -r -a upper <<<"$(deal_half 11)"
read -r -a lower <<<"$(deal_half 23)"

square_y() { if (($1 < 5)); then echo $((144 + 72 * $1)); else echo $((184 + 72 * $1)); fi; }

# player, selected column, selected row
board_window() {
  local player=$1 sel_c=$2 sel_r=$3
  local -a args=(-size 360x904 xc:black
    "$pics/exit.png" -geometry +0+0 -composite
    "$pics/y$player.png" -geometry +144+0 -composite
    "$pics/w$player.png" -geometry +252+0 -composite
    "$pics/hj.png" -geometry +0+504 -composite)
  local r c x y kind owner square
  for ((r = 0; r < 10; r++)); do
    for ((c = 0; c < 5; c++)); do
      x=$((72 * c)); y=$(square_y "$r")
      if ((r < 5)); then kind=${upper[r * 5 + c]}; owner=1; else kind=${lower[(r - 5) * 5 + c]}; owner=2; fi
      square=gz
      ((c == sel_c && r == sel_r)) && square=xz
      args+=("$pics/$square.png" -geometry "+$x+$y" -composite)
      [ "$kind" = empty ] && continue
      ((owner != player)) && kind=wh
      args+=("$pics/$kind.png" -geometry "+$((x + 4))+$((y + 4))" -composite)
    done
  done
  convert "${args[@]}" -alpha off "PNG24:$out/board-player$player.png"
}

first_piece_in_row() {
  local -n half=$1
  local c
  for ((c = 1; c < 5; c++)); do
    [ "${half[$2 * 5 + c]}" != empty ] && { echo "$c"; return; }
  done
}
board_window 1 "$(first_piece_in_row upper 4)" 4
board_window 2 "$(first_piece_in_row lower 0)" 5

echo "mock: wrote $out/contact-sheet.png, board-player1.png, board-player2.png"
