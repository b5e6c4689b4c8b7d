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
cp tools/screenshots.input "$out/input.txt"
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
