#!/usr/bin/env bash
# A player's whole make in a real window: on an Xvfb display, three photos are
# dragged onto the running game (a real XDND drop, tests/desktop/xdnd_drop.cpp),
# a title typed, "Make" clicked; the progress bar and then the first level of
# the new campaign must show, a piece is clicked, the game quits; started
# again, the game shows its library with the new campaign chosen, and Enter
# plays it.
#   tools/check-drop.sh           the Linux build (BUILD_DIR, default build/default)
#   tools/check-drop.sh --wine    the Windows build under Wine: tessera.exe from
#                                 WINDOWS_ZIP (default build/windows/tessera-windows-x64.zip),
#                                 unpacked as a player does; Wine's X11 driver
#                                 turns the drop into WM_DROPFILES
# Screenshots of each step are kept in SHOTS (default build/check-drop/linux or
# .../wine); KEEP=1 keeps the work folder (game logs, the grabs of the make).
# Installs xvfb, xdotool, imagemagick and libx11-dev when missing; --wine needs wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
wine=0
case "${1:-}" in
  --wine) wine=1 ;;
  "") ;;
  *) echo "usage: bash tools/check-drop.sh [--wine]" >&2; exit 2 ;;
esac
# What the check needs beyond the build's own packages, installed when missing
# (CI starts from a clean machine); unzip for the Windows build's zip.
packages=(xvfb xdotool imagemagick libx11-dev libgl1-mesa-dri unzip)
if [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -c 'install ok installed')" != "${#packages[@]}" ]; then
  if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi
command -v c++ >/dev/null || { echo "needs a C++ compiler (apt-get install g++)" >&2; exit 1; }
[ "$wine" = 0 ] || command -v wine >/dev/null || { echo "needs wine (apt-get install wine wine64)" >&2; exit 1; }
build=${BUILD_DIR:-build/default}
zipfile=${WINDOWS_ZIP:-build/windows/tessera-windows-x64.zip}
[ -x "$build/tessera-tool" ] || { echo "no $build/tessera-tool: build the default preset first" >&2; exit 1; }
if [ "$wine" = 0 ]; then
  [ -x "$build/tessera" ] || { echo "no $build/tessera: build the default preset first" >&2; exit 1; }
else
  [ -f "$zipfile" ] || { echo "no $zipfile: run tools/build-windows.sh first" >&2; exit 1; }
fi

started=$(date +%s.%N)
work=$(mktemp -d /tmp/tessera-drop-XXXXXX)
mode=linux
[ "$wine" = 0 ] || mode=wine
shots=${SHOTS:-build/check-drop/$mode}
rm -f "$shots"/*.png
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
xvfb=
game=
cleanup() {
  [ -z "$game" ] || kill "$game" 2>/dev/null || true
  [ "$wine" = 0 ] || WINEPREFIX=$work/wine wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  [ "${KEEP:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT
log() { printf '[check-drop %s] %s\n' "$(date +%T)" "$*"; }
fail() {
  echo "FAILED: $*" >&2
  for f in "$work"/game*.log; do [ -f "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }; done
  echo "(screenshots so far in $shots; KEEP=1 keeps $work)" >&2
  exit 1
}
shot() { import -window root "$shots/$1.png"; }

c++ -std=c++20 -O1 -Wall -Wextra -o "$work/xdnd-drop" tests/desktop/xdnd_drop.cpp -lX11
"$build/tessera-tool" make-demo "$work/demo" --language english >/dev/null
# Three photos: noisy, many-coloured pictures, each unlike the others.
mkdir "$work/photos"
for i in 1 2 3; do
  convert -seed "$i" -size 640x480 plasma:fractal -blur 0x2 "$work/photos/photo $i.jpg"
done

display=:$((500 + RANDOM % 400))
# -noreset: the server keeps its state (the pointer's place) between the two launches.
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getmouselocation >/dev/null 2>&1 || fail "Xvfb did not start on $display"

# The player's own folders stay untouched.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
[ "$wine" = 1 ] || export SDL_VIDEODRIVER=x11  # the Windows build has its own
if [ "$wine" = 1 ]; then
  export WINEPREFIX=$work/wine
  mkdir -p "$work/game"
  unzip -q "$zipfile" -d "$work/game"
  mkdir -p "$WINEPREFIX"
  wineserver -p  # one server for both launches
  log "first start of the Wine prefix"
  bash tools/wine-run.sh cmd.exe /c ver >/dev/null 2>&1 || fail "wineboot of $WINEPREFIX failed"
  campaigns=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tessera/campaigns
else
  campaigns=$XDG_DATA_HOME/tessera/campaigns
fi
mkdir -p "$work/elsewhere"  # not a game folder: the second launch looks for campaigns

# Closes the window as a window manager does (WM_DELETE_WINDOW); the game must end with 0.
close_game() {
  local status=0
  "$work/xdnd-drop" --close "$window"
  for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$game" 2>/dev/null && fail "the game still runs 20 s after its window was closed"
  wait "$game" || status=$?
  game=
  [ "$status" = 0 ] || fail "the game ended with exit code $status after its window was closed"
}
# Starts the game (arguments after the program's); $1 names its log.
launch() {
  local name=$1
  shift
  if [ "$wine" = 1 ]; then
    (cd "$work/game" && exec env WINEDEBUG="${WINEDEBUG:--all}" bash "$root/tools/wine-run.sh" ./tessera.exe --windowed "$@" \
      >"$work/$name.log" 2>&1) &
  else
    (cd "$work/elsewhere" && exec "$root/$build/tessera" --windowed --scale 1 "$@" >"$work/$name.log" 2>&1) &
  fi
  game=$!
  window=
  for _ in $(seq 300); do
    for w in $(xdotool search --onlyvisible --name '^GAME$' 2>/dev/null || true); do
      [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: //p')" = 800x600 ] && window=$w
    done
    [ -n "$window" ] && break
    kill -0 "$game" 2>/dev/null || fail "the game ended before it showed its window"
    sleep 0.2
  done
  [ -n "$window" ] || fail "no 800x600 game window within 60 s"
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y: the window's top left on the screen
}
# The pointer at (x, y) of the game's 800x600 picture; the window shows it 1:1.
move() { xdotool mousemove $((X + $1)) $((Y + $2)); }
click() { move "$1" "$2"; sleep 0.05; xdotool mousedown 1; sleep 0.05; xdotool mouseup 1; }
trace() { cat "$work/trace.txt" 2>/dev/null || true; }
in_state() { trace | grep -q "^[0-9]* state -*[0-9]* $1 "; }
# Waits up to $2 s for a trace line matching $1.
wait_trace() {
  local i
  for i in $(seq $(($2 * 10))); do
    trace | grep -q -- "$1" && return 0
    kill -0 "$game" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# --- first launch: the demo, then the drop
log "starting the game on the demo"
if [ "$wine" = 1 ]; then
  cp -r "$work/demo" "$work/game/demo"
  launch game1 --workdir demo --trace trace.txt
  ln -sf "$work/game/trace.txt" "$work/trace.txt"
else
  launch game1 --workdir "$work/demo" --trace "$work/trace.txt"
fi
log "window $window at $X,$Y"
# The left button held through the start logos; its release skips the movie.
# The game may still be starting (Wine is slow to), so again until the menu shows.
move 400 300
for _ in $(seq 15); do
  xdotool mousedown 1
  sleep 1
  xdotool mouseup 1
  wait_trace "state -*[0-9]* 7 " 3 && break
done
in_state 7 || fail "the start menu did not come"
sleep 0.5
shot 1-start-menu

log "dragging three photos onto the window"
"$work/xdnd-drop" "$window" "$work/photos/photo 1.jpg" "$work/photos/photo 2.jpg" "$work/photos/photo 3.jpg" \
  || fail "the drop was not taken (see the xdnd-drop line above)"
sleep 1.5
shot 2-form
# The maker's form holds the three photos: their thumbnails fill the first
# three places of the first row and the fourth stays empty (screens/maker_form.cpp,
# ThumbBox: 56 pixels square at x 60 + 66 i, y 354).
count=0
for i in 0 1 2 3; do
  colours=$(convert "$shots/2-form.png" -crop "40x40+$((X + 70 + 66 * i))+$((Y + 364))" -format '%k' info:)
  [ "$colours" -gt 50 ] && count=$((count + 1))
done
[ "$count" = 3 ] || fail "the form shows $count photo thumbnails, not 3 (see $shots/2-form.png)"

log "typing the title and clicking Make"
xdotool windowfocus "$window" 2>/dev/null || true
xdotool type --delay 40 "Holiday photos"
sleep 0.3
shot 3-title
click 510 560  # "Make": kMake in screens/maker_form.cpp, {440, 540, 140, 40}
wait_trace "log making Holiday photos from 3 pictures" 20 || fail "clicking Make did not start the make"
# Grabs of the screen until the make ends. The progress screen is known by its
# bar (screens/maker_form.cpp, DrawMakeProgress): a grey frame 600x30 at
# 100,280 around a green fill, 596 pixels at full.
n=0
while ! trace | grep -q "log made .* with 3 levels"; do
  [ "$n" -lt 600 ] && kill -0 "$game" 2>/dev/null || fail "the make did not end with 3 levels"
  n=$((n + 1))
  import -window root "$work/progress-$n.png"
done
matching() {  # pixels of grab $1 in the box $2 of the colour $3
  convert "$work/progress-$1.png" -crop "$2" +repage -fuzz 8% -fill white -opaque "$3" -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}
bars=() seen= part=
for i in $(seq "$n"); do
  [ "$(matching "$i" "600x2+$((X + 100))+$((Y + 280))" 'rgb(150,156,170)')" -gt 1100 ] || continue
  bars+=("$(matching "$i" "596x1+$((X + 102))+$((Y + 295))" 'rgb(110,170,110)')")
  [ -n "$seen" ] || seen=$i
  [ -n "$part" ] || [ "${bars[-1]}" -eq 0 ] || [ "${bars[-1]}" -ge 596 ] || part=$i
done
[ -n "$seen" ] || fail "none of $n grabs during the make showed the progress bar"
log "the progress bar in ${#bars[@]} of $n grabs, filled (of 596 pixels): $(printf '%s\n' "${bars[@]}" | uniq | tr '\n' ' ')"
cp "$work/progress-${part:-$seen}.png" "$shots/4-progress.png"  # one part way when a grab caught it
made=$(trace | sed -n 's/.*log made \(.*\) with 3 levels.*/\1/p' | head -n 1)
log "made: $made"

# The new campaign starts: New Game clicked through its logos, start menu and
# talk until its board.
for _ in $(seq 60); do
  [ "$(trace | sed -n '/log made /,$p' | grep -c '^[0-9]* state -*[0-9]* 9 ')" -gt 0 ] && break
  kill -0 "$game" 2>/dev/null || fail "the game ended before the first new level"
  click 580 435
  sleep 0.5
done
trace | sed -n '/log made /,$p' | grep -q '^[0-9]* state -*[0-9]* 9 ' || fail "the first level of the new campaign did not start"
level=$(trace | sed -n '/log made /,$p' | grep '^[0-9]* state -*[0-9]* 9 ' | head -n 1 | awk '{ print $5 }')
log "playing level '$level' of the new campaign"
sleep 1.5
shot 5-level
board() { import -window root -crop "500x500+$((X + 30))+$((Y + 50))" rgb:- | md5sum; }
move 300 300
sleep 0.5
before=$(board)
xdotool mousedown 1
sleep 0.05
xdotool mouseup 1
sleep 0.5
shot 6-piece-clicked
[ "$before" != "$(board)" ] || fail "clicking a piece of the board changed nothing on it"

log "closing the window"
close_game
name=${made##*[/\\]}  # the folder's name, from a Linux or a Windows path
[ -f "$campaigns/$name/System.ini" ] || fail "the new campaign is not in $campaigns/$name"

# --- second launch: the library, the new campaign chosen, Enter plays it
log "starting the game again"
rm -f "$campaigns/$name/log.txt"
if [ "$wine" = 1 ]; then rm -f "$work/game/trace.txt"; else rm -f "$work/trace.txt"; fi
xdotool mousemove 0 0  # off the window: the library's choice is its own, not the pointer's
if [ "$wine" = 1 ]; then
  launch game2 --trace trace.txt
else
  launch game2 --trace "$work/trace.txt"
fi
sleep 3
shot 7-library
[ ! -s "$work/trace.txt" ] || fail "the second launch went straight into a game, not to the library"
xdotool windowfocus "$window" 2>/dev/null || true
xdotool key Return
# A campaign being played writes its log in its own folder.
for _ in $(seq 150); do
  grep -q "game folder" "$campaigns/$name/log.txt" 2>/dev/null && break
  kill -0 "$game" 2>/dev/null || fail "the game ended after Enter in the library"
  sleep 0.2
done
grep -q "game folder" "$campaigns/$name/log.txt" 2>/dev/null \
  || fail "Enter in the library did not play the new campaign (see $shots/7-library.png)"
log "the library chose and played $name: $(head -n 1 "$campaigns/$name/log.txt" | tr -d '\r')"
sleep 1
shot 8-played-again
close_game
elapsed=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", b - a }')
log "passed in ${elapsed} s; screenshots in $shots"
