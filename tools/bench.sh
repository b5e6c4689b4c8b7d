#!/usr/bin/env bash
# Builds the benchmarks and the game in Release (preset "bench"), measures the
# whole-process figures, then runs every pair side by side and prints one table
# of ratios with the budget each must hold. Extra arguments go to the benchmark
# binary (e.g. --benchmark_filter=Frame or --benchmark_repetitions=5).
#
# With --web first, the same benchmarks built with Emscripten (preset
# "web-bench", after tools/build-web.sh's libraries and Google Benchmark from
# `tools/deps.sh web-bench`) run under Node.js right after the native ones, and
# a last table puts each budget's WebAssembly ratio next to the native one, with
# the WebAssembly time of our side against the native time.
set -euo pipefail
cd "$(dirname "$0")/.."
web=false
if [ "${1:-}" = --web ]; then
  web=true
  shift
fi
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target bench_tessera tessera tessera-tool
if $web; then
  export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
  TESSERA_WEB_PREFIX=$(bash tools/deps.sh web)
  TESSERA_WEB_BENCH_PREFIX=$(bash tools/deps.sh web-bench)
  export TESSERA_WEB_PREFIX TESSERA_WEB_BENCH_PREFIX
  cmake --preset web-bench >/dev/null
  cmake --build build/wasm-bench -j2 --target bench_tessera
fi
figures=$(mktemp /tmp/tessera-figures-XXXXXX)
native=$(mktemp /tmp/tessera-native-XXXXXX)
wasm=$(mktemp /tmp/tessera-wasm-XXXXXX)
trap 'rm -f "$figures" "$native" "$wasm"' EXIT
echo "machine: $(nproc) CPUs, $(lscpu 2>/dev/null | sed -n 's/^Model name:[[:space:]]*//p' | head -1)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "measuring whole-process figures..."
bash tools/measure-process.sh build/bench "$figures"
TESSERA_PROCESS_FIGURES=$figures build/bench/bench/bench_tessera --benchmark_repetitions=3 "$@" | tee "$native"
$web || exit 0
echo
echo "==== The same under Node.js $(node --version) (WebAssembly, preset web-bench) ===="
node build/wasm-bench/bench/bench_tessera.js --benchmark_repetitions=3 "$@" | tee "$wasm"
python3 tools/bench-compare.py "$native" "$wasm"
