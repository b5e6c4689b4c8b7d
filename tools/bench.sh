#!/usr/bin/env bash
# Builds the benchmarks and the game in Release (preset "bench"), measures the
# whole-process figures, then runs every pair side by side and prints one table
# of ratios with the budget each must hold. Extra arguments go to the benchmark
# binary (e.g. --benchmark_filter=Frame or --benchmark_repetitions=5).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target bench_tessera tessera tessera-tool
figures=$(mktemp /tmp/tessera-figures-XXXXXX)
trap 'rm -f "$figures"' EXIT
echo "machine: $(nproc) CPUs, $(lscpu 2>/dev/null | sed -n 's/^Model name:[[:space:]]*//p' | head -1)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "measuring whole-process figures..."
bash tools/measure-process.sh build/bench "$figures"
TESSERA_PROCESS_FIGURES=$figures build/bench/bench/bench_tessera --benchmark_repetitions=3 "$@"
