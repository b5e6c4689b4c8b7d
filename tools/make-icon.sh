#!/usr/bin/env bash
# Draws the Windows application icon (cmake/windows/tessera.ico): a 4x4 board of
# picture pieces, one of them still turned to a decoy layer. ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-cmake/windows/tessera.ico}
colors=(
  '#2f6fb3' '#3b83c9' '#4a97d8' '#5aaae3'
  '#2e8f5a' '#3da56b' '#c9a227' '#55c281'
  '#b8522e' '#cc6a3a' '#dd8348' '#e89c5a'
  '#7a4aa8' '#8c5dbb' '#9f72cb' '#b288d8'
)
draw=()
for i in "${!colors[@]}"; do
  x=$(( 8 + (i % 4) * 61 )); y=$(( 8 + (i / 4) * 61 ))
  draw+=(-fill "${colors[$i]}" -draw "roundrectangle $x,$y $((x + 56)),$((y + 56)) 8,8")
done
# The decoy piece: its picture mirrored, marked with a diagonal.
draw+=(-stroke '#fff4c2' -strokewidth 6 -draw "line 138,138 186,186")
convert -size 256x256 xc:none "${draw[@]}" -define icon:auto-resize=256,64,48,32,16 "$out"
