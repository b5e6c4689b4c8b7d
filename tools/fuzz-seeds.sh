#!/usr/bin/env bash
# Makes the starting inputs of the fuzz targets in fuzz/corpus/<target>/:
# generated files of every kind ("gen-*") and, where tessera-tool can build the
# demo campaign, small files taken from it ("demo-*"). Nothing it writes is kept
# in git. Usage: tools/fuzz-seeds.sh [BUILD_DIR]   (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/fuzz}
corpus=fuzz/corpus

cmake --build "$build" --target fuzz_make_seeds >/dev/null
rm -f "$corpus"/*/gen-* "$corpus"/*/demo-*
"$build/fuzz/fuzz_make_seeds" "$corpus"

# Copies the smallest files matching a name pattern (up to `count`, each cut to
# `limit` bytes) from the demo folder into a target's corpus.
take() {
  local target=$1 pattern=$2 count=$3 limit=$4 n=0 file
  mkdir -p "$corpus/$target"
  while IFS= read -r file; do
    head -c "$limit" "$file" >"$corpus/$target/demo-$(basename "$file")"
    n=$((n + 1))
  done < <(find "$demo" -type f -iname "$pattern" -printf '%s %p\n' | sort -n | head -n "$count" | cut -d' ' -f2-)
  echo "  $target: $n from $pattern"
}

# The campaign is made once per build of the tool and kept in the build folder.
# An already built tool of another build (TOOL, e.g. build/default/tessera-tool)
# saves building a sanitized one just to make seeds.
demo=$build/demo-campaign
tool=${TOOL:-}
if [[ -z $tool ]] && cmake --build "$build" --target tessera-tool >/dev/null 2>&1; then tool=$build/tessera-tool; fi
if [[ -n $tool && -x $tool ]]; then
  if [[ ! -f $demo/done || $tool -nt $demo/done ]]; then
    rm -rf "$demo"
    mkdir -p "$demo"
    ASAN_OPTIONS=detect_leaks=0 "$tool" make-demo "$demo/loose" --loose >/dev/null 2>&1 &&
      ASAN_OPTIONS=detect_leaks=0 "$tool" make-demo "$demo/packed" >/dev/null 2>&1 &&
      touch "$demo/done"
    # Campaign packages of the demo in every language.
    for language in english chinese-simplified chinese-traditional; do
      ASAN_OPTIONS=detect_leaks=0 "$tool" make-demo "$demo/$language" --language $language >/dev/null 2>&1 &&
        ASAN_OPTIONS=detect_leaks=0 "$tool" pack "$demo/$language" "$demo/$language.tessera" --title $language >/dev/null 2>&1
      rm -rf "${demo:?}/$language"
    done
  fi
fi
if [[ -f $demo/done ]]; then
  echo "seeds from the demo campaign:"
  take fuzz_bmp '*.bmp' 4 65536
  take fuzz_wav '*.wav' 3 16384
  take fuzz_movie '*.avi' 2 131072
  take fuzz_archive 'Head.dat' 1 65536
  # Text files go in raw: the targets read their framing from the bytes themselves.
  take fuzz_level_script 'ScriptEntry.txt' 1 65536
  take fuzz_localization 'Localization.txt' 2 65536
  take fuzz_profile 'System.ini' 2 16384
  # The demo packages in small: their true layout, every file cut short.
  packages=("$demo"/*.tessera)
  [[ -e ${packages[0]} ]] && "$build/fuzz/fuzz_make_seeds" "$corpus" "${packages[@]}" >/dev/null &&
    echo "  fuzz_package: ${#packages[@]} demo packages"
else
  echo "no demo campaign (tessera-tool make-demo unavailable): generated seeds only"
fi
du -sh "$corpus" | sed 's/^/corpus size: /'
