#!/usr/bin/env bash
# Makes the README's screenshots from headless frame dumps of the demo campaign.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v convert >/dev/null || { echo "needs imagemagick (apt-get install imagemagick)"; exit 1; }
build=${BUILD_DIR:-build/default}
if [ "$build" = build/default ]; then cmake --preset default >/dev/null; fi
cmake --build "$build" -j2 --target tessera tessera-tool
demo=$build/screenshot-demo
rm -rf "$demo"
"$build/tessera-tool" make-demo "$demo" --language english >/dev/null
out=$(mktemp -d)
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
"$build/tessera" --headless --workdir "$demo" --input "$out/input.txt" --dump-dir "$out" --max-ms 20000
for name in start-menu talk play options; do
  convert "$out/$name.bmp" "docs/screenshots/$name.png"
done
rm -rf "$out"
echo "screenshots written to docs/screenshots/"
