#!/usr/bin/env bash
# Installs, builds, generates the demo campaign and starts the game on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh
cmake --preset default
cmake --build build/default -j2 --target tessera tessera-tool
./build/default/tessera-tool make-demo build/default/demo "$@"
exec ./build/default/tessera --workdir build/default/demo --windowed
