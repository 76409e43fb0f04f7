#!/usr/bin/env python3
"""Compares two sides' benchmark runs taken in turns, round by round.

    bench-paired.py RUNS THRESHOLD_PCT ALPHA [CUT]
    bench-paired.py --unsettled RUNS BAND_PCT
    bench-paired.py --budget RUNS THRESHOLD_PCT COSTS SECONDS ROUNDS CPUS ROUND [RUNNING]


RUNS holds SIDE-PROGRAM-ROUND.json (Google Benchmark's JSON), SIDE base or head. Each case's CPU time
on HEAD is divided by BASE's of the same round, so that a load meeting both alike cancels out; the
table shows the median ratio, its range, and Wilcoxon's signed-rank test (exact) of the log ratios for
HEAD being slower. Exits 1 when a case's median ratio is above 1 + THRESHOLD with p below ALPHA.

With --unsettled it prints, one "PROGRAM NAME" a line, the cases on both sides that have a ratio off
1 by more than BAND either way, so far, or no ratio: the ones that run on. Which cases go on depends on
the sizes of their ratios alone, not on their signs, so the signed-rank test stays exact for them.

With --budget it plans the next ROUNDS rounds in SECONDS on CPUS processors, COSTS holding "PROGRAM
SECONDS" lines of ROUND's runs, RUNNING the cases that run on ("PROGRAM NAME" lines): while they would take longer, the costliest program keeps only its cases
in doubt, each printed "keep PROGRAM NAME", the others "cut PROGRAM NAME". A case is in doubt while it
has fewer than 5 rounds (6 all one way give p = 0.0156; 5 give 0.031, fewer never below 0.05), every
ratio above 1 and their median above 1 + half the threshold. Cutting a case only takes a flag from it.
CUT lists the cases cut so, marked in the table.
"""
import glob, json, math, os, statistics, sys

SCALE = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}


def read(runs):
    times = {}  # (side, case) -> {round: ns}
    for path in glob.glob(os.path.join(runs, "*.json")):
        side, rest = os.path.basename(path)[:-5].split("-", 1)
        program, rnd = rest.rsplit("-", 1)
        try:
            data = json.load(open(path))
        except (OSError, ValueError):
            continue
        for b in data.get("benchmarks", []):
            if b.get("error_occurred") or b.get("run_type", "iteration") != "iteration":
                continue
            case = program.removeprefix("bench_") + "/" + b["name"]
            times.setdefault((side, case), {})[int(rnd)] = b["cpu_time"] * SCALE.get(b.get("time_unit"), 1)
    return times


def wilcoxon_greater(diffs):
    """One-sided p of the signed-rank test that the differences lie above zero."""
    d = [x for x in diffs if x != 0]
    if not d:
        return 1.0
    order = sorted(range(len(d)), key=lambda i: abs(d[i]))
    ranks = [0.0] * len(d)
    i = 0
    while i < len(order):
        j = i
        while j + 1 < len(order) and abs(d[order[j + 1]]) == abs(d[order[i]]):
            j += 1
        for k in range(i, j + 1):
            ranks[order[k]] = (i + j) / 2 + 1
        i = j + 1
    # Ranks doubled are whole numbers, ties included: the exact distribution of the positive sum
    # under equal odds of each sign, by counting.
    doubled = [round(2 * r) for r in ranks]
    w = sum(r for r, x in zip(doubled, d) if x > 0)
    counts = {0: 1}
    for r in doubled:
        nxt = dict(counts)
        for total, c in counts.items():
            nxt[total + r] = nxt.get(total + r, 0) + c
        counts = nxt
    return sum(c for total, c in counts.items() if total >= w) / 2 ** len(d)


def unit(ns):
    for name, scale in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return "%.3g %s" % (ns / scale, name)
    return "%.3g ns" % ns


def unsettled(runs, band):
    times = read(runs)
    for case in sorted({c for _, c in times}):
        b, h = times.get(("base", case)), times.get(("head", case))
        if not b or not h:
            continue
        ratios = [h[r] / b[r] for r in b.keys() & h.keys() if b[r] > 0 and h[r] > 0]
        if not ratios or any(abs(math.log(x)) > math.log(1 + band) for x in ratios):
            print("bench_%s %s" % tuple(case.split("/", 1)))


def budget(runs, threshold, costs, seconds, rounds, cpus, rnd, running):
    times = read(runs)
    if running and os.path.exists(running):
        running = {"%s/%s" % (p.removeprefix("bench_"), n) for p, n in
                   (line.split(None, 1) for line in open(running) if line.strip())}
        running = {c.strip() for c in running}
    else:
        running = None
    cases = {}  # program -> {case: in doubt}
    for case in sorted({c for _, c in times}):
        b, h = times.get(("base", case)), times.get(("head", case))
        if not b or not h or rnd not in b or rnd not in h or (running is not None and case not in running):
            continue
        ratios = [h[r] / b[r] for r in b.keys() & h.keys() if b[r] > 0 and h[r] > 0]
        doubt = (0 < len(ratios) < 5 and min(ratios) > 1
                 and statistics.median(ratios) > 1 + threshold / 2)
        cases.setdefault("bench_" + case.split("/", 1)[0], {})[case] = doubt
    cost = {}
    for line in open(costs):
        program, secs = line.split()
        cost[program] = cost.get(program, 0) + float(secs)
    for program in sorted(cases, key=lambda p: -cost.get(p, 0)):
        if rounds * sum(cost.get(p, 0) for p in cases) / cpus <= seconds:
            break
        kept = {c: d for c, d in cases[program].items() if d}
        for case in cases[program].keys() - kept.keys():
            print("cut %s %s" % (program, case.split("/", 1)[1]))
        if kept:
            cases[program] = kept
        else:
            del cases[program]
    for program, kept in cases.items():
        for case in kept:
            print("keep %s %s" % (program, case.split("/", 1)[1]))


def main():
    if sys.argv[1] == "--unsettled":
        return unsettled(sys.argv[2], float(sys.argv[3]) / 100)
    if sys.argv[1] == "--budget":
        a = sys.argv[2:]
        return budget(a[0], float(a[1]) / 100, a[2], float(a[3]), int(a[4]), int(a[5]), int(a[6]),
                      a[7] if len(a) > 7 else None)
    runs, threshold, alpha = sys.argv[1], float(sys.argv[2]) / 100, float(sys.argv[3])
    cut = set()
    if len(sys.argv) > 4 and os.path.exists(sys.argv[4]):
        cut = {line.split(None, 1)[0].removeprefix("bench_") + "/" + line.split(None, 1)[1].strip()
               for line in open(sys.argv[4]) if line.strip()}
    times = read(runs)
    cases = sorted({c for _, c in times})
    rows, flagged, only = [], [], {"base": [], "head": []}
    for case in cases:
        b, h = times.get(("base", case)), times.get(("head", case))
        if not b or not h:
            only["head" if h else "base"].append(case)
            continue
        rounds = sorted(b.keys() & h.keys())
        ratios = [h[r] / b[r] for r in rounds if b[r] > 0 and h[r] > 0]
        if not ratios:
            continue
        median = statistics.median(ratios)
        p = wilcoxon_greater([math.log(x) for x in ratios])
        slower = median > 1 + threshold and p < alpha
        rows.append((case, statistics.median(b.values()), statistics.median(h.values()), median,
                     min(ratios), max(ratios), len(ratios), p, slower))
        if slower:
            flagged.append(case)
    width = max([len(r[0]) for r in rows] + [10])
    print("%-*s %10s %10s %7s %13s %3s %7s" % (width, "case", "base", "head", "ratio", "range", "n", "p"))
    for case, bm, hm, median, lo, hi, n, p, slower in rows:
        print("%-*s %10s %10s %7.3f %6.2f-%-6.2f %3d %7.4f%s%s" % (
            width, case, unit(bm), unit(hm), median, lo, hi, n, p, "  SLOWER" if slower else "",
            "  (budget)" if case in cut else ""))
    if cut:
        print("\n(budget): fewer rounds, stopped when the time budget ran out while not in doubt")
    for side, label in (("head", "New in HEAD (no BASE to compare with)"), ("base", "Only in BASE (gone from HEAD)")):
        if only[side]:
            print("\n%s:" % label)
            for case in only[side]:
                print("  " + case)
    print()
    if flagged:
        print("Slower by more than %g%% (median of the rounds' HEAD/BASE CPU time, signed-rank p < %g):"
              % (threshold * 100, alpha))
        for case in flagged:
            print("  " + case)
        sys.exit(1)
    print("No case slower by more than %g%% with significance." % (threshold * 100))


if __name__ == "__main__":
    main()
