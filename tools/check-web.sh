#!/usr/bin/env bash
# Checks the WebAssembly build (after tools/build-web.sh) under Node.js:
#   - the unit suite (ctest, preset web: every test binary under Node.js);
#   - build/web-node/tessera --autoplay plays every choice branch of the demo to
#     GameEnd, headless;
#   - the same input script gives byte-identical frame dumps from the WebAssembly
#     game and from the Linux build, for the English and both Chinese demos;
#   - the page (build/web, served by python3 -m http.server) in Debian's headless
#     Chromium, driven by puppeteer-core (tools/web-test, its version pinned by
#     the lock file): the start menu as the Linux build draws it, the idle start
#     menu's CPU use, a click and a touch tap turning pieces, no console errors.
# The Linux programs come from LINUX_BUILD (default build/default, built if absent);
# both games read the Linux tool's campaign files, so only the games are compared.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
log() { printf '[check-web %s] %s\n' "$(date +%T)" "$*"; }
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
packages=(chromium imagemagick python3)
if [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -c 'install ok installed')" != "${#packages[@]}" ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi
command -v npm >/dev/null || { $SUDO apt-get install -y --no-install-recommends npm; }

linux=${LINUX_BUILD:-build/default}
if [ ! -x "$linux/tessera" ] || [ ! -x "$linux/tessera-tool" ]; then
  cmake --preset default >/dev/null
  cmake --build build/default -j2 --target tessera tessera-tool
  linux=build/default
fi
game=$root/build/web-node/tessera
[ -x "$game" ] || { echo "no $game: run tools/build-web.sh first" >&2; exit 1; }
TESSERA_WEB_PREFIX=$(cat build/wasm/libraries.txt)
export TESSERA_WEB_PREFIX

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The player's own folders stay out of every run.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state

# A check that fails is noted and the others still run; the exit code says.
failures=()
fail() { echo "FAILED: $*" >&2; failures+=("$*"); }

start=$(date +%s)
if ctest --preset web -j2 >"$work/ctest.log" 2>&1; then
  log "unit suite under Node.js passed ($(( $(date +%s) - start )) s): $(grep -o '[0-9]* tests passed.*' "$work/ctest.log" || true)"
else
  cp "$work/ctest.log" build/wasm/ctest-node.log
  fail "unit suite under Node.js: $(grep -c '(Failed)\|(Timeout)\|(SEGFAULT)\|(Exception)\|(Subprocess aborted)' "$work/ctest.log") tests failed (build/wasm/ctest-node.log)"
  sed -n '/tests failed out of/,$p' "$work/ctest.log" >&2
fi

for language in english chinese-simplified chinese-traditional; do
  "$linux/tessera-tool" make-demo "$work/demo-$language" --language "$language" >/dev/null
done

# Every choice of the widest selection is one branch (as tools/soak.sh counts).
branches=$(grep -a -o 'SelectionTalkNum=[0-9]*' "$work/demo-english/Script.dat" | cut -d= -f2 | sort -n | tail -1)
[ -n "$branches" ] && [ "$branches" -gt 0 ] || branches=1
for ((choice = 0; choice < branches; choice++)); do
  rm -rf "$work/autoplay" && cp -r "$work/demo-english" "$work/autoplay"
  start=$(date +%s)
  "$game" --headless --autoplay --choice "$choice" --workdir "$work/autoplay" --trace "$work/autoplay.trace" \
    --max-ms 7200000 || fail "autoplay choice $choice: exit code $?"
  if grep -q ' state 2 10 GameEnd' "$work/autoplay.trace"; then
    log "autoplay choice $choice: $(grep -c ' state 1 9 ' "$work/autoplay.trace" || true) levels played to GameEnd ($(( $(date +%s) - start )) s)"
  else
    fail "autoplay choice $choice did not reach GameEnd"
    tail -5 "$work/autoplay.trace" >&2
  fi
done

# Same input, same frames.
cp tools/screenshots.input "$work/input.txt"
for language in english chinese-simplified chinese-traditional; do
  mkdir -p "$work/dumps-linux-$language" "$work/dumps-web-$language"
  rm -rf "$work/same-$language" && cp -r "$work/demo-$language" "$work/same-$language"
  "$linux/tessera" --headless --workdir "$work/demo-$language" --input "$work/input.txt" \
    --dump-dir "$work/dumps-linux-$language" --max-ms 20000
  # It draws its text from the font's first part (build/web-node/fonts), as
  # the page does: the same frames show the part draws as the whole face, and
  # it must hold every character the demo draws.
  "$game" --headless --workdir "$work/same-$language" --input "$work/input.txt" \
    --dump-dir "$work/dumps-web-$language" --max-ms 20000 2>"$work/web-$language.err" ||
    fail "the WebAssembly game --headless $language"
  cat "$work/web-$language.err" >&2
  if grep -q "the font's first part lacks" "$work/web-$language.err"; then
    fail "$language: the font's first part lacks a character the demo draws"
  fi
  count=$(find "$work/dumps-linux-$language" -name '*.bmp' | wc -l)
  [ "$count" = 4 ] || fail "$language: $count frame dumps from the Linux build, not 4"
  if diff -r "$work/dumps-linux-$language" "$work/dumps-web-$language"; then
    log "$language: $count frame dumps byte-identical to the Linux build's"
  else
    fail "$language: frame dumps differ from the Linux build's"
    mkdir -p "build/wasm/dump-diff/$language"
    cp "$work/dumps-linux-$language"/*.bmp "build/wasm/dump-diff/$language/" 2>/dev/null || true
    for f in "$work/dumps-web-$language"/*.bmp; do cp "$f" "build/wasm/dump-diff/$language/web-$(basename "$f")"; done
  fi
done

# The page in headless Chromium.
if [ ! -f build/web/index.html ]; then
  fail "no build/web/index.html"
else
  (cd tools/web-test && npm ci --no-audit --no-fund --ignore-scripts >"$work/npm.log" 2>&1) ||
    { cat "$work/npm.log" >&2; fail "npm ci in tools/web-test"; }
  port=$(( 20000 + RANDOM % 20000 ))
  python3 -m http.server "$port" --bind 127.0.0.1 -d build/web >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
    sleep 0.2
  done
  convert "$work/dumps-linux-english/start-menu.bmp" "$work/start-menu.png"
  start=$(date +%s)
  if node tools/web-test/page-test.js "http://127.0.0.1:$port/" "$work/start-menu.png" build/wasm/page-test \
       >"$work/page-test.log" 2>&1; then
    sed 's/^/  /' "$work/page-test.log"
    log "the page in headless Chromium passed ($(( $(date +%s) - start )) s)"
  else
    sed 's/^/  /' "$work/page-test.log" >&2
    fail "the page in headless Chromium (screenshots in build/wasm/page-test)"
  fi
fi

if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failures[@]}" >&2
  exit 1
fi
log "all web checks passed"
