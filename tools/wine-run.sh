#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, the way the tests and the
# checks need it: a throwaway Wine prefix of its own (build/windows/wine unless
# WINEPREFIX is set), no Wine debug output, OpenAL Soft's null output, and the
# DLLs of the dependency folder on the search path.
#   tools/wine-run.sh [--dlls DIR] PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --dlls ]; then
  dlls=$2
  shift 2
  export WINEPATH="Z:${dlls//\//\\}${WINEPATH:+;$WINEPATH}"
fi
export WINEPREFIX=${WINEPREFIX:-$here/../build/windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko install prompts; no window for the first start.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
if [ ! -f "$WINEPREFIX/.ready" ]; then
  mkdir -p "$WINEPREFIX"
  # One first start at a time: parallel tests share the prefix.
  flock "$WINEPREFIX/.init" sh -c '[ -f "$WINEPREFIX/.ready" ] || { wineboot -i && touch "$WINEPREFIX/.ready"; }' \
    >/dev/null 2>&1
fi
exec wine "$@"
