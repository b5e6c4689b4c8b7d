#!/usr/bin/env bash
# Whole-process figures with /usr/bin/time -v, on the generated demo campaign:
#   - launch to the first presented frame, headless: the game is started with a
#     dump due at 0 ms and a quit at 100 ms of its clock (the first frame is
#     presented at the start logos' first 90 ms tick), so the whole run, start-up
#     to exit, bounds the time to the first frame from above; median of 5 runs;
#   - peak memory ("Maximum resident set size") through an autoplay of the whole
#     campaign, on both branches of its choice and in English and Chinese; the
#     largest is reported.
# Usage: tools/measure-process.sh BUILD_DIR OUT_FILE
# OUT_FILE receives one line per figure: name<TAB>value<TAB>unit<TAB>budget.
set -euo pipefail
build=${1:?build folder holding tessera and tessera-tool}
out=${2:?output file}
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

work=$(mktemp -d /tmp/tessera-process-XXXXXX)
trap 'rm -rf "$work"' EXIT

# Prints the value of one field of /usr/bin/time -v's report.
field() { sed -n "s/^[[:space:]]*$1: //p" "$2"; }

# "m:ss.cc" or "h:mm:ss" to milliseconds.
to_ms() {
  awk -F: '{ s = 0; for (i = 1; i <= NF; ++i) s = s * 60 + $i; printf "%d\n", s * 1000 + 0.5 }' <<<"$1"
}

"$build/tessera-tool" make-demo "$work/english" --language english >/dev/null
"$build/tessera-tool" make-demo "$work/chinese" --language chinese-simplified >/dev/null

# Launch to the first presented frame.
printf '0 dump first\n100 quit\n' >"$work/first.txt"
times=()
for run in 1 2 3 4 5; do
  rm -f "$work/first.bmp"
  /usr/bin/time -v -o "$work/time.txt" "$build/tessera" --headless --workdir "$work/english" \
    --input "$work/first.txt" --dump-dir "$work" >/dev/null 2>&1
  if [ ! -f "$work/first.bmp" ]; then
    echo "run $run presented no frame" >&2
    times+=(failed)
    continue
  fi
  times+=("$(to_ms "$(field 'Elapsed (wall clock) time (h:mm:ss or m:ss)' "$work/time.txt")")")
done
launch=$(printf '%s\n' "${times[@]}" | grep -v failed | sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "failed" }')
echo "launch to first frame, runs (ms): ${times[*]}" >&2

# Peak memory through the campaign.
peak=0
for language in english chinese; do
  for choice in 0 1; do
    status=0
    /usr/bin/time -v -o "$work/time.txt" "$build/tessera" --headless --autoplay --choice "$choice" \
      --workdir "$work/$language" >/dev/null 2>&1 || status=$?
    kb=$(field 'Maximum resident set size (kbytes)' "$work/time.txt")
    echo "autoplay $language choice $choice: exit $status, peak $kb KiB, $(field 'Elapsed (wall clock) time (h:mm:ss or m:ss)' "$work/time.txt")" >&2
    if [ "$status" -ne 0 ]; then peak=failed; break 2; fi
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
done
[ "$peak" = failed ] || peak=$(awk -v kb="$peak" 'BEGIN { printf "%.1f", kb / 1024 }')

{
  printf 'Launch to first presented frame (headless)\t%s\tms\t300\n' "$launch"
  printf 'Peak memory, autoplay of the demo campaign\t%s\tMiB\t64\n' "$peak"
} >"$out"
