#!/usr/bin/env bash
# Installs, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh
cmake --preset default
cmake --build build/default -j2
ctest --preset default -j2
