"""Puts the WebAssembly ratios next to the native ones (tools/bench.sh --web).

Reads the two tables bench_tessera printed (native, then WebAssembly under
Node.js) and prints, for every pair found in both, the native and the
WebAssembly ratio, the budget, and how much longer our side took in
WebAssembly than natively (for the heaviest play frame that must stay at most
1.5x).
"""
import re
import sys

FRAME_BUDGET = 1.5  # the heaviest play frame in WebAssembly against natively


ROW = re.compile(r"^(.*?)\s+(\d+)\s+(\d+)\s+([\d.]+)x?\s+(<= \S+|>= \S+|-)(\s+MISSED)?$")


def rows(path):
    """name -> (our ns, ratio, budget) from the ratio table of one run."""
    found = {}
    with open(path, encoding="utf-8", errors="replace") as table:
        in_ratios = False
        for line in table:
            if line.startswith("==== Ratios"):
                in_ratios = True
            match = ROW.match(line.rstrip()) if in_ratios else None
            if match:
                found[match.group(1)] = (float(match.group(2)), float(match.group(4)), match.group(5))
    return found


def main():
    native, wasm = rows(sys.argv[1]), rows(sys.argv[2])
    print("\n==== WebAssembly (Node.js) against native, the same run ====\n")
    print("%-48s %9s %9s %8s %11s" % ("", "native", "wasm", "budget", "wasm time"))
    missed = []
    for name, (ours, ratio, budget) in native.items():
        if name not in wasm:
            continue
        w_ours, w_ratio, _ = wasm[name]
        slower = w_ours / ours if ours > 0 else float("inf")
        note = ""
        if name.startswith("DrawPlayScreen heaviest"):
            note = "  (<= %gx native)" % FRAME_BUDGET
            if slower > FRAME_BUDGET:
                note += "  MISSED"
                missed.append(name + " against native")
        limit = budget.split()
        if len(limit) == 2 and limit[0] == "<=" and w_ratio > float(limit[1]):
            missed.append(name)
        if len(limit) == 2 and limit[0] == ">=" and w_ratio < float(limit[1].rstrip("x")):
            missed.append(name)
        print("%-48s %9.2f %9.2f %8s %10.2fx%s" % (name, ratio, w_ratio, budget, slower, note))
    print("\nWebAssembly budgets missed: %d%s" % (len(missed), "".join("\n  " + m for m in missed)))


main()
