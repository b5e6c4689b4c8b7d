#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, ASan and UBSan),
# makes their seeds and runs each for SECONDS seconds, one a core at a time.
# Prints the executions of every target; exits non-zero when any target found
# something (a crash, a sanitizer report, a timeout or running out of memory).
# The input that did it is kept in fuzz/findings/.
# Usage: tools/fuzz-all.sh SECONDS [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ || $1 -lt 1 ]]; then
  echo "usage: tools/fuzz-all.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
build=build/fuzz
root=$PWD  # absolute: a finding is written while a target stands in its scratch folder

cmake --preset fuzz >/dev/null || exit 1
cmake --build "$build" --target fuzz_all || exit 1
bash tools/fuzz-seeds.sh "$build" || exit 1

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  targets=()
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

# Inputs the fuzzer may need to be long: an archive index alone is 40804 bytes.
max_len() {
  case $1 in
    fuzz_archive | fuzz_package) echo 65536 ;;
    fuzz_movie) echo 131072 ;;
    fuzz_bmp | fuzz_wav) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
mkdir -p fuzz/findings "$build/fuzz-logs"
rm -f "$build"/fuzz-logs/*.result

# run TARGET: fuzzes one target for its time; its summary line goes to
# fuzz-logs/TARGET.result, "ok" or "failed" first.
run() {
  local target=$1 binary="$build/fuzz/$1" work="$build/corpus-work/$1" log="$build/fuzz-logs/$1.log" rc runs speed
  if [[ ! -x $binary ]]; then
    echo "no such target: $target" >&2
    printf 'failed %-22s NOT BUILT\n' "$target" >"$build/fuzz-logs/$target.result"
    return
  fi
  mkdir -p "$work" "fuzz/corpus/$target"
  echo "== $target ($seconds s)"
  "$binary" "$root/$work" "$root/fuzz/corpus/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len "$target")" -print_final_stats=1 -artifact_prefix="$root/fuzz/findings/$target-" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  if [[ $rc -ne 0 ]]; then
    grep -E "ERROR|SUMMARY|fuzz finding|artifact" "$log" | head -n 8 | sed "s/^/$target: /"
    printf 'failed %-22s FINDING (exit %d, see %s)\n' "$target" "$rc" "$log" >"$build/fuzz-logs/$target.result"
  else
    printf 'ok %-22s %12s executions %8s/s\n' "$target" "${runs:-?}" "${speed:-?}" >"$build/fuzz-logs/$target.result"
  fi
}

# The targets run side by side, one a core (FUZZ_JOBS), each for its whole time:
# every target gets the same fuzzing as alone, in less time on the clock.
jobs=${FUZZ_JOBS:-$(nproc)}
for target in "${targets[@]}"; do
  while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do wait -n || true; done
  run "$target" &
done
wait

failed=()
summary=()
for target in "${targets[@]}"; do
  status=failed line=$(printf '%-22s STOPPED (no result)' "$target")
  [[ -f $build/fuzz-logs/$target.result ]] && read -r status line <"$build/fuzz-logs/$target.result"
  summary+=("$line")
  [[ $status == ok ]] || failed+=("$target")
done

echo
echo "== fuzzing summary ($seconds s per target)"
printf '%s\n' "${summary[@]}"
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "failed: ${failed[*]} (inputs that broke a target are in fuzz/findings/)"
  exit 1
fi
echo "no findings"
