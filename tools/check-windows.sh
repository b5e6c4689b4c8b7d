#!/usr/bin/env bash
# Checks the Windows build under Wine (after tools/build-windows.sh), on the zip as
# a player unpacks it:
#   - the unit suite (ctest, preset windows);
#   - tessera-tool.exe make-demo writes the Linux tool's campaign: the same files,
#     its texts, scripts and interface archives byte for byte, and it lints clean;
#   - tessera.exe --autoplay plays every choice branch to GameEnd, and a monkey
#     run is clean, headless;
#   - the same input script gives byte-identical frame dumps from tessera.exe and
#     from the Linux build, for the English and traditional-Chinese demos;
#   - under Xvfb, tessera.exe --windowed shows the start menu and closing its
#     window ends it with exit code 0.
# The Linux programs come from LINUX_BUILD (default build/default, built if absent).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
log() { printf '[check-windows %s] %s\n' "$(date +%T)" "$*"; }
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
packages=(xvfb xdotool imagemagick unzip)
if [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -c 'install ok installed')" != "${#packages[@]}" ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi

linux=${LINUX_BUILD:-build/default}
if [ ! -x "$linux/tessera" ] || [ ! -x "$linux/tessera-tool" ]; then
  cmake --preset default >/dev/null
  cmake --build build/default -j2 --target tessera tessera-tool
  linux=build/default
fi
zipfile=build/windows/tessera-windows-x64.zip
[ -f "$zipfile" ] || { echo "no $zipfile: run tools/build-windows.sh first" >&2; exit 1; }
# The libraries the build used (tools/build-windows.sh notes them).
TESSERA_WINDOWS_PREFIX=$(cat build/windows/libraries.txt)
export TESSERA_WINDOWS_PREFIX

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  WINEPREFIX=$work/wine wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# A Wine prefix of this run's own; the programs find their DLLs in the unpacked
# zip alone.
export WINEPREFIX=$work/wine
wine=("$root/tools/wine-run.sh")
# One Wine server for the whole run rather than one per program.
mkdir -p "$WINEPREFIX"
wineserver -p
"${wine[@]}" cmd.exe /c ver >/dev/null


# A check that fails is noted and the others still run; the exit code says.
failures=()
fail() { echo "FAILED: $*" >&2; failures+=("$*"); }

start=$(date +%s)
if ctest --preset windows -j2 >"$work/ctest.log" 2>&1; then
  log "unit suite under Wine passed ($(( $(date +%s) - start )) s)"
else
  cp "$work/ctest.log" build/windows/ctest-wine.log
  fail "unit suite under Wine: $(grep -c '(Failed)\|(Timeout)\|(SEGFAULT)\|(Exception)' "$work/ctest.log") tests failed (build/windows/ctest-wine.log)"
  sed -n '/tests failed out of/,$p' "$work/ctest.log" >&2
fi

game=$work/Tessera
mkdir -p "$game"
(cd "$game" && unzip -q "$root/$zipfile")
win() { (cd "$game" && "${wine[@]}" "$@"); }

# The demo: the Windows tool writes the campaign the Linux tool writes. Its texts,
# scripts and interface archives are compared byte for byte. The level pictures,
# sounds and movies are painted with the C library's sin, exp and pow, whose last
# bits differ between glibc and Windows' maths library; those are held to the same
# names, a clean lint and, below, a whole autoplay. The frame comparison further
# down feeds both games the Linux tool's files, so it compares the games alone.
painted='\.(wav|bmp|avi)$|(^|/)Picture\.dat$'
for language in english chinese-simplified chinese-traditional; do
  win ./tessera-tool.exe make-demo "demo-$language" --language "$language" >/dev/null
  win ./tessera-tool.exe lint "demo-$language" >/dev/null || fail "tessera-tool.exe lint demo-$language"
  "$linux/tessera-tool" lint "$game/demo-$language" >/dev/null || fail "the Linux tool's lint of the Windows demo-$language"
  "$linux/tessera-tool" make-demo "$work/linux-$language" --language "$language" >/dev/null
  files_windows=$(cd "$game/demo-$language" && find . -type f ! -name log.txt | sort)
  files_linux=$(cd "$work/linux-$language" && find . -type f ! -name log.txt | sort)
  [ "$files_windows" = "$files_linux" ] || fail "make-demo $language: the Windows and Linux tools write different files"
  same=0
  while read -r file; do
    [[ $file =~ $painted ]] && continue
    if cmp -s "$game/demo-$language/$file" "$work/linux-$language/$file"; then
      same=$((same + 1))
    else
      fail "make-demo $language: $file differs from the Linux tool's"
    fi
  done <<<"$files_linux"
  log "make-demo $language: the same files as the Linux tool, $same of them byte-identical texts and archives"
done
for campaign in demo:english demo-zh-cn:chinese-simplified demo-zh-tw:chinese-traditional; do
  diff -rq "$game/campaigns/${campaign%%:*}" "$game/demo-${campaign#*:}" ||
    fail "the zip's campaigns/${campaign%%:*} is not what make-demo writes"
done

# A campaign package: packed by the Windows tool with the same entries as the
# Linux tool's of the same folder, then installed (into the Wine user's
# %APPDATA%\Tessera\campaigns) and played to the end by tessera.exe FILE.
win ./tessera-tool.exe pack demo-english demo.tessera --title Demo >/dev/null || fail "tessera-tool.exe pack"
"$linux/tessera-tool" pack "$game/demo-english" "$work/demo-linux.tessera" --title Demo >/dev/null
unzip -Z1 "$game/demo.tessera" >"$work/entries-windows" && unzip -Z1 "$work/demo-linux.tessera" >"$work/entries-linux" &&
  cmp -s "$work/entries-windows" "$work/entries-linux" || fail "the Windows and Linux tools pack different entries"
win ./tessera.exe --headless --autoplay --trace package.trace --max-ms 7200000 demo.tessera ||
  fail "tessera.exe demo.tessera"
grep -q ' state 2 10 GameEnd' "$game/package.trace" && log "tessera.exe demo.tessera: installed and played to GameEnd" ||
  fail "tessera.exe demo.tessera did not reach GameEnd"

# Every choice of the widest selection is one branch (as tools/soak.sh counts).
branches=$(grep -a -o 'SelectionTalkNum=[0-9]*' "$game/demo-english/Script.dat" | cut -d= -f2 | sort -n | tail -1)
[ -n "$branches" ] && [ "$branches" -gt 0 ] || branches=1
for ((choice = 0; choice < branches; choice++)); do
  rm -rf "$game/autoplay" && cp -r "$game/demo-english" "$game/autoplay"
  win ./tessera.exe --headless --autoplay --choice "$choice" --workdir autoplay --trace autoplay.trace \
    --max-ms 7200000
  if grep -q ' state 2 10 GameEnd' "$game/autoplay.trace"; then
    log "autoplay choice $choice: $(grep -c ' state 1 9 ' "$game/autoplay.trace" || true) levels played to GameEnd"
  else
    fail "autoplay choice $choice did not reach GameEnd"
    tail -5 "$game/autoplay.trace" >&2
  fi
done

rm -rf "$game/monkey" && cp -r "$game/demo-english" "$game/monkey"
win ./tessera.exe --headless --monkey 1 --workdir monkey --trace monkey.trace --max-ms 300000 || fail "monkey run"
log "monkey: 5 virtual minutes, states visited: $(awk '$2 == "state" { print $4 }' "$game/monkey.trace" | sort -un | tr '\n' ' ')"

# Same input, same frames.
cp tools/screenshots.input "$work/input.txt"
# Double-clicked, the game starts in its own folder and finds campaigns\demo
# beside it; here it is started from elsewhere, and plays up to the start menu.
(cd "$work" && "${wine[@]}" "$game/tessera.exe" --headless --input "$work/input.txt" --max-ms 2000 \
   --trace "$work/start.trace") && grep -q ' state ' "$work/start.trace" &&
  log "tessera.exe without --workdir plays campaigns\\demo" ||
  fail "tessera.exe without --workdir did not start the shipped demo"

# Both games read the same campaign files (the Linux tool's), so only the games
# are compared.
cp "$work/input.txt" "$game/input.txt"
for language in english chinese-traditional; do
  mkdir -p "$work/dumps-linux-$language" "$game/dumps-$language"
  rm -rf "$game/same-$language" && cp -r "$work/linux-$language" "$game/same-$language"
  "$linux/tessera" --headless --workdir "$work/linux-$language" --input "$work/input.txt" \
    --dump-dir "$work/dumps-linux-$language" --max-ms 20000
  win ./tessera.exe --headless --workdir "same-$language" --input input.txt --dump-dir "dumps-$language" \
    --max-ms 20000 || fail "tessera.exe --headless $language"
  count=$(find "$work/dumps-linux-$language" -name '*.bmp' | wc -l)
  [ "$count" = 4 ] || fail "$language: $count frame dumps from the Linux build, not 4"
  if diff -r "$work/dumps-linux-$language" "$game/dumps-$language"; then
    log "$language: $count frame dumps byte-identical to the Linux build's"
  else
    fail "$language: frame dumps differ from the Linux build's"
    mkdir -p "build/windows/dump-diff/$language"
    cp "$work/dumps-linux-$language"/*.bmp "build/windows/dump-diff/$language/" 2>/dev/null || true
    for f in "$game/dumps-$language"/*.bmp; do cp "$f" "build/windows/dump-diff/$language/wine-$(basename "$f")"; done
  fi
done

# A real window under Xvfb: the start menu, as the headless game draws it, then
# Alt+F4 ends the game with exit code 0.
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.2; done
rm -rf "$game/window" && cp -r "$work/linux-english" "$game/window"
(cd "$game" && exec "${wine[@]}" ./tessera.exe --windowed --workdir window 2>/dev/null) &
game_pid=$!
window=
for _ in $(seq 150); do
  window=$(xdotool search --classname '^tessera\.exe$' 2>/dev/null | tail -1 || true)
  [ -n "$window" ] && [ "$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p')" = 800x600 ] && break
  window=
  sleep 0.2
done
if [ -z "$window" ]; then
  fail "no 800x600 game window appeared"
  kill "$game_pid" 2>/dev/null || true
else
  # As in the input script: the left button held through the start logos, its
  # release skips the opening movie; the pointer then rests on "New Game".
  sleep 2
  xdotool mousemove --window "$window" 400 300 mousedown 1 2>/dev/null
  sleep 2
  xdotool mouseup 1 2>/dev/null
  sleep 1
  xdotool mousemove --window "$window" 580 435 2>/dev/null
  sleep 2
  import -window "$window" "$work/window.png"
  # The window shows the frame through the screen's own 24-bit format, the dump
  # through the game's: the same picture, colours a little apart.
  apart=$(compare -metric AE -fuzz 3% "$work/window.png" "$work/dumps-linux-english/start-menu.bmp" null: 2>&1 || true)
  if [ "$apart" = 0 ]; then
    log "window: the start menu is on screen"
  else
    fail "window: the screenshot is not the start menu ($apart pixels apart; build/windows/window-check.png)"
    cp "$work/window.png" build/windows/window-check.png
  fi
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key alt+F4 2>/dev/null
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$game_pid" 2>/dev/null && { fail "the game still runs 20 s after Alt+F4"; kill "$game_pid"; }
  status=0
  wait "$game_pid" || status=$?
  [ "$status" = 0 ] && log "window: closed with Alt+F4, exit code 0" || fail "closing the window: exit code $status"
fi

if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failures[@]}" >&2
  exit 1
fi
log "all Windows checks passed"
