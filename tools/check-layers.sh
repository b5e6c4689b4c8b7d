#!/usr/bin/env bash
# Fails when an include in src/ runs against the floors of the house. Each
# folder may include its own headers and those of the floors below it, never
# one above:
#   flow -> screens -> content -> game -> media -> gfx -> app -> platform
# platform/ is the ground: it includes nothing of src/ outside itself, and it is
# the only folder that includes the libraries and the operating system's
# headers (SDL2, OpenAL, FFmpeg, FreeType, fontconfig, iconv, libzip, POSIX,
# Windows, Emscripten). src/main.cpp stands on top.
#   bash tools/check-layers.sh [SRC]     (SRC defaults to this checkout's src/)
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/.." && pwd)/src}
floors=(platform app gfx media game content screens flow)
declare -A floor
for i in "${!floors[@]}"; do floor[${floors[$i]}]=$i; done
floor[main]=${#floors[@]}
system_headers='^(SDL|libav|libsw|AL/|ft2build|freetype|fontconfig|iconv|zip|windows|winsock|shlobj|knownfolders|unistd|fcntl|dirent|pwd|sys/|emscripten)'

bad=0
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  room=${rel%%/*}
  [ "$room" = "$rel" ] && room=main  # a file at the top of src/
  mine=${floor[$room]:--1}
  if [ "$mine" = -1 ]; then
    echo "$rel: the folder $room/ has no floor (add it to tools/check-layers.sh)"
    bad=1
    continue
  fi
  while IFS=: read -r line include; do
    case $include in
      '#include "'*)
        target=${include#*\"}
        target=${target%%\"*}
        [[ $target == */* ]] || continue  # a header beside the file
        other=${target%%/*}
        theirs=${floor[$other]:--1}
        if [ "$theirs" = -1 ] || [ "$other" = main ]; then
          echo "$rel:$line: includes $target, outside the floors"
          bad=1
        elif [ "$theirs" -gt "$mine" ]; then
          echo "$rel:$line: includes $target: $room/ stands below $other/"
          bad=1
        fi ;;
      '#include <'*)
        target=${include#*<}
        target=${target%%>*}
        if [ "$room" != platform ] && [[ $target =~ $system_headers ]]; then
          echo "$rel:$line: includes <$target>: only platform/ talks to the system and the libraries"
          bad=1
        fi ;;
    esac
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" | sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*/\1:#include /')
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [ "$bad" = 0 ]; then
  echo "layers: every include in $(basename "$src")/ runs down the floors (${floors[*]})"
fi
exit "$bad"
