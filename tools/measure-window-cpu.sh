#!/usr/bin/env bash
# The game's CPU use in a real window: an Xvfb display, Mesa's software renderer
# (llvmpipe), the generated demo campaign, the pointer driven by xdotool.
#   - idle on the start menu, the pointer still beside the buttons;
#   - the hover check: the pointer moved onto "new game" and off again, the
#     screen grabbed 40 ms after each move (two 60 Hz refreshes and a 5 ms frame)
#     must show the highlight come and go;
#   - the play screen of the first level, the pointer still on the board;
#   - the play screen while the pointer keeps moving over the board;
#   - Alt+Enter (full screen and back) and F12 (one screenshot) on the boss page,
#     whose "any key" must not fire.
# CPU is read from /proc/PID/stat (user + system time of every thread) over
# SECONDS seconds per case, as a percentage of one core; the X server's own share
# is printed beside it.
# Usage: tools/measure-window-cpu.sh BUILD_DIR [SECONDS] [OUT_FILE]
# With SHOTS=DIR set, grabs of the screen before the two still samples are kept
# there (menu.png, play.png).
# OUT_FILE receives one line per figure: name<TAB>value<TAB>unit<TAB>budget.
# Needs the Debian packages xvfb, xdotool, imagemagick and libgl1-mesa-dri.
set -euo pipefail
build=${1:?build folder holding tessera and tessera-tool}
seconds=${2:-10}
out=${3:-/dev/null}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick libgl1-mesa-dri)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tessera-window-XXXXXX)
xvfb=
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$build/tessera-tool" make-demo "$work/demo" --language english >/dev/null

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# The player's own folders stay untouched; the software renderer is forced.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state
export LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11
"$build/tessera" --workdir "$work/demo" --windowed --scale 1 --trace "$work/trace.txt" >"$work/game.log" 2>&1 &
game=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --pid "$game" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the game opened no window" >&2; cat "$work/game.log" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y: the frame's top left corner

move() { xdotool mousemove $((X + $1)) $((Y + $2)); }
click() { xdotool mousedown 1; sleep 0.05; xdotool mouseup 1; }
# True once the game's trace shows it entering state $1 (7: start menu, 9: playing).
in_state() { grep -q "^[0-9]* state -*[0-9]* $1 " "$work/trace.txt" 2>/dev/null; }
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# CPU of the game and of the X server over $seconds, in percent of one core.
sample() {
  local g0 x0 g1 x1 hz
  hz=$(getconf CLK_TCK)
  g0=$(ticks "$game") x0=$(ticks "$xvfb")
  sleep "$seconds"
  g1=$(ticks "$game") x1=$(ticks "$xvfb")
  awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.1f %.1f\n", 100 * g / hz / s, 100 * x / hz / s }'
}
# A grab of the frame's region around "new game", as one checksum.
grab() { import -window root -crop 200x60+$((X + 480))+$((Y + 410)) rgb:- | md5sum | cut -c1-32; }

# The left button held through the three start logos (each is passed when the
# button is seen held at one of their 90 ms ticks); its release skips the movie.
sleep 1
move 100 100
xdotool mousedown 1
sleep 0.5
xdotool mouseup 1
for _ in $(seq 50); do in_state 7 && break; sleep 0.1; done
in_state 7 || { echo "the start menu did not come" >&2; exit 1; }
move 60 80
sleep 1
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/menu.png"
read -r idle idle_x < <(sample)
echo "start menu, pointer still: game ${idle}% of a core, X server ${idle_x}%" >&2

plain=$(grab)
hover=ok
for round in 1 2 3; do
  move 580 435
  sleep 0.04
  on=$(grab)
  move 60 80
  sleep 0.04
  off=$(grab)
  if [ "$on" = "$plain" ] || [ "$off" != "$plain" ]; then hover="missed in round $round"; fi
done
echo "hover highlight in the next presented frame: $hover" >&2

# New game: clicks through the introduction pictures, the travel picture and
# the talk until the countdown ends on the board.
move 580 435
sleep 0.3
for _ in $(seq 60); do
  in_state 9 && break
  click
  sleep 0.4
done
in_state 9 || { echo "the play screen did not come" >&2; exit 1; }
move 430 310
sleep 1
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/play.png"
read -r play play_x < <(sample)
echo "play screen, pointer still: game ${play}% of a core, X server ${play_x}%" >&2

# The pointer circling over the board while the sample runs.
(
  end=$((SECONDS + seconds))
  i=0
  while [ "$SECONDS" -lt "$end" ]; do
    move $((300 + (i * 7) % 200)) $((200 + (i * 5) % 200))
    i=$((i + 1))
    sleep 0.01
  done
) &
mover=$!
read -r moving moving_x < <(sample)
wait "$mover"
echo "play screen, pointer moving: game ${moving}% of a core, X server ${moving_x}%" >&2

kill -0 "$game" 2>/dev/null || { echo "the game ended early" >&2; cat "$work/game.log" >&2; exit 1; }

# The window's own keys on the boss page, whose "any key" leaves it: Alt+Enter
# to full screen and back, then F12, must leave the page up; a key then ends it.
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
keys=ok
fail() { [ "$keys" != ok ] || keys=$1; }  # the first fault is reported
move 29 527
sleep 0.2
click
for _ in $(seq 30); do in_state 8 && break; sleep 0.1; done
in_state 8 || fail "the boss page did not open"
windowed=$(size)
xdotool key alt+Return
sleep 0.5
[ "$(size)" = 1280x1024 ] || fail "Alt+Enter gave $(size), not full screen"
xdotool key alt+Return
sleep 0.5
[ "$(size)" = "$windowed" ] || fail "Alt+Enter back gave $(size), not $windowed"
xdotool key F12
sleep 0.5
grep -q "^[0-9]* state 8 9 " "$work/trace.txt" && fail "a window key reached the boss page"
shots=$(find "$XDG_DATA_HOME/tessera/screenshots" -name '*.png' 2>/dev/null | wc -l || true)
[ "$shots" = 1 ] || fail "F12 wrote $shots screenshots"
xdotool key a
sleep 0.5
grep -q "^[0-9]* state 8 9 " "$work/trace.txt" || fail "a key did not leave the boss page"
echo "window keys on the boss page: $keys" >&2
{
  printf 'Window, start menu idle (CPU of one core)\t%s\t%%\t5\n' "$idle"
  printf 'Window, play screen, pointer still\t%s\t%%\t10\n' "$play"
  printf 'Window, play screen, pointer moving\t%s\t%%\t-\n' "$moving"
  printf 'Window, hover highlight in the next frame\t%s\t-\t-\n' "$hover"
  printf 'Window, Alt+Enter and F12 kept from the game\t%s\t-\t-\n' "$keys"
} >"$out"
[ "$hover" = ok ] && [ "$keys" = ok ]
