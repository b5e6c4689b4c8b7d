#!/usr/bin/env bash
# Builds the WebAssembly game on Debian 12 (as root or with sudo): installs
# Debian's Emscripten and Node.js, builds the libraries once (`tools/deps.sh
# web`, cached while their pins stay the same), then with preset web (build/wasm)
# the game, the tool and the unit suite for Node.js, and writes
#   build/web-node/   the headless game under Node.js: `build/web-node/tessera`
#                     takes the Linux game's command line and sees the real files.
# tools/check-web.sh checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
log() { printf '[build-web %s] %s\n' "$(date +%T)" "$*"; }

packages=(emscripten nodejs dpkg-dev make cmake ninja-build pkg-config libgtest-dev fonts-wqy-zenhei)
if [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -c 'install ok installed')" != "${#packages[@]}" ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi
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
here=$(dirname "$(readlink -f "$0")")
exec node "$here/tessera.js" "$@"
EOF
chmod +x "$node_dir/tessera"
log "$node_dir/tessera: $(du -k "$node_dir/tessera.wasm" | cut -f1) KiB of WebAssembly"

# The unit suite (run by tools/check-web.sh).
start=$(date +%s)
cmake --build build/wasm -j"${JOBS:-2}"
log "tests built ($(( $(date +%s) - start )) s)"
