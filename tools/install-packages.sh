#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
$SUDO apt-get update
# shellcheck disable=SC2046
$SUDO apt-get install -y --no-install-recommends $(grep -v '^#' tools/packages.txt)
