#!/usr/bin/env bash
# tools/check-layers.sh on small trees: a clean one passes; each include that
# runs up the floors, and a library header outside platform/, fails it by name.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
put() { mkdir -p "$(dirname "$tree/$1")"; printf '%s\n' "${@:2}" >"$tree/$1"; }
put game/board.cpp '#include "game/board.h"' '#include <vector>' '#include "app/files.h"'
put flow/loop.cpp '#include "screens/play_screen.h"' '#include "content/lint.h"'
put platform/sdl/sdl.cpp '#include <SDL.h>' '#include "platform/platform.h"'
put main.cpp '#include "flow/startup.h"'
bash "$check" "$tree" >/dev/null || { echo "a clean tree was refused"; bash "$check" "$tree"; exit 1; }

put game/autoplay.cpp '#include "screens/start_menu.h"'
put platform/headless/headless_platform.h '#include "app/input_script.h"'
put platform/ffmpeg/png.cpp '#include "app/files.h"'
put screens/menu.cpp '#include "flow/game_main_loop.h"'
put content/import.cpp '#include <libavcodec/avcodec.h>'
put tools/x.cpp '#include "game/board.h"'
if out=$(bash "$check" "$tree"); then echo "back-running includes passed: $out"; exit 1; fi
for want in game/autoplay.cpp:1 platform/headless/headless_platform.h:1 platform/ffmpeg/png.cpp:1 \
            screens/menu.cpp:1 content/import.cpp:1 "tools/x.cpp: the folder tools/"; do
  grep -qF "$want" <<<"$out" || { echo "not named: $want"; echo "$out"; exit 1; }
done
[ "$(wc -l <<<"$out")" = 6 ] || { echo "more findings than planted:"; echo "$out"; exit 1; }
echo "layers check: passes the clean tree, names all 6 planted faults"
