#!/usr/bin/env bash
# Whole-game checks on the demo campaign: lint every language, autoplay every
# branch of the level script, and a monkey soak per seed.
#   bash tools/soak.sh BUILD_DIR [MONKEY_MINUTES] [SEED...]
# The game binary of BUILD_DIR is used (an asan build catches memory faults);
# the demo is made and linted with the tool of TOOL_DIR (default: BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
minutes=${2:-30}
shift $(( $# >= 2 ? 2 : $# ))
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(1 2)
tool=${TOOL_DIR:-$build}/tessera-tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for language in english chinese-simplified chinese-traditional; do
  "$tool" make-demo "$work/$language" --language "$language" >/dev/null
  "$tool" lint "$work/$language"
  echo "lint $language: clean"
done
demo="$work/english"

# Every choice of the widest selection is one branch.
branches=$(grep -a -o 'SelectionTalkNum=[0-9]*' "$demo/Script.dat" | cut -d= -f2 | sort -n | tail -1)
[ -n "$branches" ] && [ "$branches" -gt 0 ] || branches=1
# One run a core at a time (SOAK_JOBS): each in its own copy of the demo, its
# report kept in order; any failed run fails the soak.
autoplay() {
  local choice=$1 dir="$work/autoplay-$1" levels start
  cp -r "$demo" "$dir"
  start=$(date +%s%N)
  "$build/tessera" --headless --autoplay --choice "$choice" --workdir "$dir" \
    --trace "$dir.trace" --max-ms 7200000
  levels=$(grep -c ' state 1 9 ' "$dir.trace" || true)
  grep -q ' state 2 10 GameEnd' "$dir.trace" || { echo "autoplay choice $choice: GameEnd not reached"; return 1; }
  printf 'autoplay choice %d: %d levels played to GameEnd in %d ms of real time\n' "$choice" "$levels" \
    $(( ($(date +%s%N) - start) / 1000000 ))
  rm -rf "$dir"
}
monkey() {
  local seed=$1 dir="$work/monkey-$1" states
  cp -r "$demo" "$dir"
  "$build/tessera" --headless --monkey "$seed" --workdir "$dir" --trace "$dir.trace" \
    --max-ms $((minutes * 60000))
  states=$(awk '$2 == "state" { print $4 }' "$dir.trace" | sort -un | tr '\n' ' ')
  echo "monkey seed $seed: $minutes virtual minutes, states visited: $states"
  rm -rf "$dir"
}
runs=()
for ((choice = 0; choice < branches; choice++)); do runs+=("autoplay $choice"); done
for seed in "${seeds[@]}"; do runs+=("monkey $seed"); done
jobs=${SOAK_JOBS:-$(nproc)}
pids=()
for i in "${!runs[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  ( set -e; ${runs[$i]} ) >"$work/run-$i.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!runs[@]}"; do
  wait "${pids[$i]}" || { failed=1; echo "FAILED: ${runs[$i]}"; }
  cat "$work/run-$i.log"
done
exit $failed
