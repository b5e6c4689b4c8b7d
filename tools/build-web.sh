#!/usr/bin/env bash
# Builds the WebAssembly game on Debian 12 (as root or with sudo): installs
# Debian's Emscripten and Node.js, builds the libraries once (`tools/deps.sh
# web`, cached while their pins stay the same), then with preset web (build/wasm)
# the game, the tool and the unit suite for Node.js, and writes
#   build/web/        the site: index.html, page.js, the page's game (tessera.js,
#                     tessera.wasm), the campaigns' packages (data/), the source
#                     and the licences; and build/web/tessera-web.zip of the same;
#   build/web-node/   the headless game under Node.js: `build/web-node/tessera`
#                     takes the Linux game's command line and sees the real files.
# tools/check-web.sh checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
log() { printf '[build-web %s] %s\n' "$(date +%T)" "$*"; }

packages=(emscripten nodejs dpkg-dev make cmake ninja-build pkg-config libgtest-dev fonts-wqy-zenhei fonttools zip git)
if [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -c 'install ok installed')" != "${#packages[@]}" ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi
# --packages: only that (CI installs them first and builds the libraries in
# the background).
[ "${1:-}" != --packages ] || exit 0
# Debian's emcc finds its JavaScript helpers (acorn) in Debian's node folder,
# which a Node.js from elsewhere does not search.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

start=$(date +%s)
TESSERA_WEB_PREFIX=$(bash tools/deps.sh web)
export TESSERA_WEB_PREFIX
log "libraries: $TESSERA_WEB_PREFIX ($(( $(date +%s) - start )) s)"

start=$(date +%s)
# Libraries of other pins: what CMake found of the old ones is forgotten.
mkdir -p build/wasm
if [ "$(cat build/wasm/libraries.txt 2>/dev/null)" != "$TESSERA_WEB_PREFIX" ]; then
  rm -f build/wasm/CMakeCache.txt
  echo "$TESSERA_WEB_PREFIX" >build/wasm/libraries.txt
fi
cmake --preset web >/dev/null
cmake --build build/wasm -j"${JOBS:-2}" --target tessera
log "tessera.js and tessera.wasm built ($(( $(date +%s) - start )) s)"

# The headless game under Node.js: the Linux command line, the real files.
node_dir=build/web-node
rm -rf "$node_dir"
mkdir -p "$node_dir"
cp build/wasm/tessera.js build/wasm/tessera.wasm "$node_dir/"
cat >"$node_dir/tessera" <<'EOF'
#!/bin/sh
# Tessera (WebAssembly) under Node.js: the same command line as the Linux game.
TESSERA_WEB_LAUNCHER=$(readlink -f "$0")
export TESSERA_WEB_LAUNCHER
exec node "$(dirname "$TESSERA_WEB_LAUNCHER")/tessera.js" "$@"
EOF
chmod +x "$node_dir/tessera"
log "$node_dir/tessera: $(du -k "$node_dir/tessera.wasm" | cut -f1) KiB of WebAssembly"

# The page's game, and the demos made by the Linux tool (the WebAssembly one
# has no threads to paint them with).
# Its own build folder: JavaScript exceptions, which Asyncify can unwind.
start=$(date +%s)
mkdir -p build/wasm-page
if [ "$(cat build/wasm-page/libraries.txt 2>/dev/null)" != "$TESSERA_WEB_PREFIX" ]; then
  rm -f build/wasm-page/CMakeCache.txt
  echo "$TESSERA_WEB_PREFIX" >build/wasm-page/libraries.txt
fi
cmake --preset web-page >/dev/null
cmake --build build/wasm-page -j"${JOBS:-2}" --target tessera-page
log "the page's tessera.js and tessera.wasm built ($(( $(date +%s) - start )) s)"
linux=${LINUX_BUILD:-build/default}
if [ ! -x "$linux/tessera-tool" ]; then
  cmake --preset default >/dev/null
  cmake --build build/default -j2 --target tessera-tool
  linux=build/default
fi
site=build/web
rm -rf "$site"
mkdir -p "$site/data"
cp packaging/web/index.html packaging/web/page.js build/wasm-page/page/tessera.js build/wasm-page/page/tessera.wasm "$site/"
packager=(python3 /usr/share/emscripten/tools/file_packager.py)
demos=$(mktemp -d)
trap 'rm -rf "$demos"' EXIT
# Each campaign comes in four packages: what the game needs up to its first
# picture (settings, the start logos, the menus' sounds), fetched before the
# game starts; the menu pictures, fetched first while the player looks at the
# logos, which stay until a click; the opening movie, which the player may
# skip before it arrived as while it plays; and the rest (the levels'
# pictures, the talk heads, music, later movies, the sounds only a level
# makes), fetched behind them. The game waits for a file of the last three
# that it asks for before it arrived. NAME-later.json lists them:
# {"menu": [...], "opening": [...], "later": [...]}.
package_campaign() {  # folder, name
  local folder=$1 name=$2 parts part
  local mount=/usr/share/tessera/campaigns/$name
  parts=$(mktemp -d)
  (cd "$folder" && find . -type f -iname menu.dat -print) | sed 's|^\./||' | sort >"$parts/menu.list"
  (cd "$folder" && find . -type f -ipath './movie/begin.avi' -print) | sed 's|^\./||' | sort >"$parts/opening.list"
  (cd "$folder" && find . -type f \( -iname picture.dat -o -iname head.dat -o -ipath './music/*' \
      -o \( -ipath './movie/*' ! -iname begin.avi \) -o -ipath './sound/changepiece.wav' \
      -o -ipath './sound/stoneexplode*.wav' -o -ipath './sound/lasttime.wav' -o -ipath './sound/timeout.wav' \
      -o -ipath './sound/touchspider.wav' \) -print) | sed 's|^\./||' | sort >"$parts/later.list"
  for part in menu opening later; do
    mkdir -p "$parts/$part"
    while read -r file; do
      mkdir -p "$parts/$part/$(dirname "$file")"
      mv "$folder/$file" "$parts/$part/$file"
    done <"$parts/$part.list"
  done
  # Installed campaigns: saves go to the player's folder, kept in IndexedDB.
  "${packager[@]}" "$site/data/$name.data" --preload "$folder@$mount" --js-output="$site/data/$name.js" >/dev/null
  for part in menu opening later; do
    "${packager[@]}" "$site/data/$name-$part.data" --preload "$parts/$part@$mount" \
      --js-output="$site/data/$name-$part.js" >/dev/null
  done
  python3 -c 'import json, sys
print(json.dumps({part: [sys.argv[1] + "/" + l.strip() for l in open(sys.argv[2] + "/" + part + ".list") if l.strip()]
                  for part in ("menu", "opening", "later")}))' "$mount" "$parts" >"$site/data/$name-later.json"
  rm -rf "$parts"
}
for language in english chinese-simplified chinese-traditional; do
  "$linux/tessera-tool" make-demo "$demos/demo-$language" --language "$language" >/dev/null
  rm -f "$demos/demo-$language/log.txt"
  package_campaign "$demos/demo-$language" "demo-$language"
done
# The font's first part: the characters of the campaigns offered (their texts
# read in their code pages, each in the variants a game's converter may take)
# and of the game's own texts (ASCII), cut from the whole face with outlines,
# hinting and bitmaps as they are, so that text draws the same from either.
# Every campaign brings it; the whole face comes only when the game opens it
# for a character the part lacks (a title the player types). The headless game
# under Node.js draws from the part too, so its Chinese frame dumps check it.
font=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
python3 - "$demos" >"$demos/characters.txt" <<'EOF'
import pathlib, sys
encodings = {"demo-chinese-simplified": ("gbk", "gb18030"), "demo-chinese-traditional": ("big5", "cp950", "big5hkscs")}
chars = {chr(c) for c in range(0x20, 0x7F)}
for folder in sorted(p for p in pathlib.Path(sys.argv[1]).iterdir() if p.is_dir()):
    for text in folder.iterdir():
        if text.is_file() and text.suffix.lower() in (".ini", ".dat") and text.stat().st_size < 65536:
            for encoding in encodings.get(folder.name, ("ascii",)):
                chars |= {c for c in text.read_bytes().decode(encoding, "ignore") if c >= " "}
sys.stdout.write("".join(sorted(chars)))
EOF
pyftsubset "$font" --font-number=1 --text-file="$demos/characters.txt" --notdef-outline --name-IDs='*' \
  --name-languages='*' --output-file="$demos/wqy-zenhei-part.ttf" 2>/dev/null
mkdir -p "$node_dir/fonts"
cp "$demos/wqy-zenhei-part.ttf" "$node_dir/fonts/"
"${packager[@]}" "$site/data/font-part.data" --preload "$demos/wqy-zenhei-part.ttf@/fonts/wqy-zenhei-part.ttf" \
  --js-output="$site/data/font-part.js" >/dev/null
"${packager[@]}" "$site/data/fonts.data" --preload "$font@/fonts/wqy-zenhei.ttc" \
  --js-output="$site/data/fonts.js" >/dev/null
log "the font's first part: $(LC_ALL=C.UTF-8 wc -m <"$demos/characters.txt") characters, $(stat -c %s "$demos/wqy-zenhei-part.ttf") bytes"
# The source of this very build, and every licence of what the page holds.
if git rev-parse --git-dir >/dev/null 2>&1; then
  git archive --format=tar.gz --prefix=tessera/ -o "$site/tessera-source.tar.gz" HEAD
else
  tar -czf "$site/tessera-source.tar.gz" --exclude=./build --transform 's,^\.,tessera,' .
fi
{
  echo "Tessera"; echo; cat LICENSE
  for file in "$TESSERA_WEB_PREFIX"/licenses/*/*; do
    printf '\n\n==== %s\n\n' "${file#"$TESSERA_WEB_PREFIX"/licenses/}"; cat "$file"
  done
  printf '\n\n==== fonts-wqy-zenhei\n\n'; cat /usr/share/doc/fonts-wqy-zenhei/copyright
  printf '\n\n==== versions\n\n'; cat "$TESSERA_WEB_PREFIX/versions.txt"
} >"$site/licenses.txt"
(cd "$site" && rm -f tessera-web.zip && zip -q -X -r tessera-web.zip . -x tessera-web.zip)
log "$site: $(find "$site" -type f | wc -l) files, $(du -sk "$site" | cut -f1) KiB; tessera.wasm $(gzip -9c "$site/tessera.wasm" | wc -c) bytes gzipped"
# Each file of the site, raw and gzipped as a server sends it.
log "the site's files, bytes raw and gzipped:"
(cd "$site" && find . -type f | LC_ALL=C sort | while read -r f; do
  printf '  %-46s %10d %10d\n' "${f#./}" "$(stat -c %s "$f")" "$(gzip -6c "$f" | wc -c)"
done)
# What a player's browser fetches, gzipped as a server sends it: before the
# game's first picture (the page, the program, the font's first part, the
# campaign's first package), before the start menu (and the menu pictures) for
# a player who skips the opening movie and for one who watches it, and in all
# (without the whole font, fetched only when needed).
gz() { local n=0 f; for f in "$@"; do n=$((n + $(gzip -6c "$site/$f" | wc -c))); done; echo $n; }
first=(index.html page.js tessera.js tessera.wasm data/font-part.js data/font-part.data)
for language in english chinese-simplified chinese-traditional; do
  name=demo-$language
  files=("${first[@]}" "data/$name.js" "data/$name.data" "data/$name-later.json")
  menu=("data/$name-menu.js" "data/$name-menu.data")
  opening=("data/$name-opening.js" "data/$name-opening.data")
  log "$name: $(gz "${files[@]}") bytes gzipped before the first picture, $(gz "${files[@]}" "${menu[@]}")" \
    "before the start menu ($(gz "${files[@]}" "${menu[@]}" "${opening[@]}") with the opening movie)," \
    "$(gz "${files[@]}" "${menu[@]}" "${opening[@]}" "data/$name-later.js" "data/$name-later.data") in all"
done

# The unit suite (run by tools/check-web.sh).
start=$(date +%s)
cmake --build build/wasm -j"${JOBS:-2}"
log "tests built ($(( $(date +%s) - start )) s)"
