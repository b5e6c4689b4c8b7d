#!/usr/bin/env bash
# Makes the README's screenshots from headless frame dumps of the demo campaign.
# With --check it makes them in a temporary folder instead and fails, naming
# each file, when a committed screenshot differs in its pixels from what the
# game draws now (CI runs it, so the README never shows an older game).
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: bash tools/screenshots.sh [--check]" >&2; exit 2 ;;
esac
for program in convert compare; do
  command -v "$program" >/dev/null || { echo "needs imagemagick (apt-get install imagemagick)"; exit 1; }
done
build=${BUILD_DIR:-build/default}
if [ "$build" = build/default ]; then cmake --preset default >/dev/null; fi
cmake --build "$build" -j2 --target tessera tessera-tool
demo=$build/screenshot-demo
rm -rf "$demo"
"$build/tessera-tool" make-demo "$demo" --language english >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cat > "$out/input.txt" <<'SCRIPT'
# hold the left button through the three start logos; its release skips the opening movie
100 ldown
450 lup
# start menu with the pointer on "new game"
900 move 580 435
1000 dump start-menu
1020 ldown
1040 lup
# three introduction pictures, one per release
1200 ldown
1220 lup
1300 ldown
1320 lup
1400 ldown
1420 lup
# the travel picture opens on a press
1600 ldown
1620 lup
2800 dump talk
# three opening lines
2900 ldown
2920 lup
3000 ldown
3020 lup
3100 ldown
3120 lup
# countdown and sweep, then play
7600 move 400 300
7700 move 430 310
7800 ldown
7820 lup
8000 move 470 320
8100 dump play
# the settings page of the option menu
8200 move 84 574
8220 ldown
8240 lup
8400 dump options
8600 quit
SCRIPT
# The player's own config and data folders stay out of the pictures.
XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/data" \
  "$build/tessera" --headless --workdir "$demo" --input "$out/input.txt" --dump-dir "$out" --max-ms 20000
shots=(start-menu talk play options)
for name in "${shots[@]}"; do
  [ -f "$out/$name.bmp" ] || { echo "the scripted run never reached the '$name' dump"; exit 1; }
  convert "$out/$name.bmp" -strip "$out/$name.png"  # no dates inside: unchanged pictures stay unchanged files
done
if [ "$check" = 0 ]; then
  for name in "${shots[@]}"; do cp "$out/$name.png" "docs/screenshots/$name.png"; done
  echo "screenshots written to docs/screenshots/"
  exit 0
fi
stale=0
for name in "${shots[@]}"; do
  committed=docs/screenshots/$name.png
  if [ ! -f "$committed" ]; then
    echo "stale screenshot: $committed is missing"
    stale=1
  elif ! pixels=$(compare -metric AE "$committed" "$out/$name.png" null: 2>&1); then
    echo "stale screenshot: $committed differs from what the game draws now ($pixels pixels differ)"
    stale=1
  fi
done
if [ "$stale" = 1 ]; then
  echo "regenerate them with: bash tools/screenshots.sh"
  exit 1
fi
echo "screenshots match what the game draws: ${shots[*]}"
