#!/usr/bin/env bash
# Builds the benchmarks of two commits in the optimised build, runs them in turns and compares
# them with Google Benchmark's compare.py (U test through scipy). Exits 1 when a case's median
# CPU time is slower than the threshold with significance.
#
#   scripts/bench-compare.sh [options] BASE [HEAD]      (HEAD defaults to HEAD)
#     --filter REGEX    only the benchmarks whose names match (Google Benchmark's filter)
#     --benches REGEX   only the executables whose names match, e.g. 'GridPaint|UiMessages'
#     --reps N          runs of each side, in turns (default 9, the fewest the U test trusts)
#     --min-time S      seconds each benchmark runs for per run (default 0.1)
#     --threshold PCT   a median slower by more than this is flagged (default 10)
#     --alpha P         significance level of the U test (default 0.05)
#     --jobs N          build jobs (default: the processors)
#     --work DIR        scratch folder (default: build/bench-compare under the checkout)
#     --keep            keep the two builds there for the next run
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

filter="" benches="" reps=9 min_time=0.1 threshold=10 alpha=0.05 jobs=$(nproc) work="" keep=0
args=()
while (($#)); do
  case "$1" in
    --filter) filter=$2; shift 2 ;;
    --benches) benches=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --min-time) min_time=$2; shift 2 ;;
    --threshold) threshold=$2; shift 2 ;;
    --alpha) alpha=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "bench-compare: unknown option $1" >&2; exit 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
((${#args[@]} >= 1 && ${#args[@]} <= 2)) || { echo "usage: $0 [options] BASE [HEAD]" >&2; exit 2; }
((reps >= 2)) || { echo "bench-compare: --reps must be at least 2" >&2; exit 2; }
base=$(git rev-parse --verify "${args[0]}^{commit}")
head=$(git rev-parse --verify "${args[1]:-HEAD}^{commit}")

# The comparison tool and its U test, with what the builds need.
scripts/install-deps.sh libbenchmark-tools python3-scipy
compare=/usr/share/benchmark/compare.py
# The system's interpreter, where the packages put scipy (not one a version manager puts first).
py=/usr/bin/python3
[ -x "$py" ] || py=python3

# Object paths relative to the checkout, so that both builds share the compiler cache with others.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$repo")} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
[ -n "$work" ] || work=$repo/build/bench-compare
mkdir -p "$work"
work=$(cd "$work" && pwd)
scratch=$(mktemp -d "$work/run.XXXXXX")
declare -A tree=([base]=$work/$base [head]=$work/$head)
cleanup() {
  if ((!keep)); then
    for side in base head; do git worktree remove --force "${tree[$side]}" 2>/dev/null || true; done
    git worktree prune
    rm -rf "$scratch"
  fi
}
trap cleanup EXIT

# Each commit in a worktree of its own, configured as the default preset configures the
# optimised build; one kept with --keep is built again only where it needs to be.
build() {
  local side=$1 commit=$2 dir=${tree[$1]}
  [ -d "$dir" ] || git worktree add -q --detach "$dir" "$commit"
  [ "$(git -C "$dir" rev-parse HEAD)" = "$commit" ] || { echo "bench-compare: $dir is not at $commit" >&2; exit 2; }
  local targets=(kernel_folder)
  for src in "$dir"/bench/*.cpp; do
    local name; name=$(basename "$src" .cpp)
    [[ -z "$benches" || "$name" =~ $benches ]] && targets+=("bench_$name")
  done
  echo "== building $side ${commit:0:10} (${#targets[@]} targets)" >&2
  cmake -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DDRAVONIX_WERROR=OFF >"$scratch/$side-configure.log" 2>&1 ||
    { tail -20 "$scratch/$side-configure.log" >&2; exit 2; }
  cmake --build "$dir/build" -j"$jobs" --target "${targets[@]}" >"$scratch/$side-build.log" 2>&1 ||
    { tail -30 "$scratch/$side-build.log" >&2; exit 2; }
}
build base "$base"
build head "$head"

exes=()
for exe in "${tree[base]}"/build/bin/bench_*; do
  name=$(basename "$exe")
  [[ -z "$benches" || "${name#bench_}" =~ $benches ]] || continue
  [ -x "${tree[head]}/build/bin/$name" ] && exes+=("$name")
done
((${#exes[@]})) || { echo "bench-compare: no benchmark in both commits" >&2; exit 2; }

# Both sides in turns, the first to run alternating, so that a neighbour's load meets both alike.
mkdir -p "$scratch/runs"
run() {
  local side=$1 exe=$2 rep=$3 only=()
  [ -z "$filter" ] || only=(--benchmark_filter="$filter")
  "${tree[$side]}/build/bin/$exe" "${only[@]}" --benchmark_min_time="$min_time" \
    --benchmark_out="$scratch/runs/$side-$exe-$rep.json" --benchmark_out_format=json \
    >>"$scratch/runs/$side.log" 2>&1 || echo "bench-compare: $exe ($side) failed in run $rep" >&2
}
for ((rep = 0; rep < reps; ++rep)); do
  echo "== run $((rep + 1)) of $reps" >&2
  for exe in "${exes[@]}"; do
    if ((rep % 2)); then run head "$exe" "$rep"; run base "$exe" "$rep"
    else run base "$exe" "$rep"; run head "$exe" "$rep"; fi
  done
done

# One result file per side: every run of every executable as a repetition, named by its
# executable, in nanoseconds (compare.py prints whole units), with the median compare.py shows
# beside its U test; only the cases both sides have, so that the overall mean compares like with like.
"$py" - "$scratch/runs" "$scratch/base.json" "$scratch/head.json" <<'EOF'
import glob, json, os, statistics, sys
runs, outs = sys.argv[1], dict(zip(("base", "head"), sys.argv[2:]))
scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
context, by_name = {}, {"base": {}, "head": {}}
for side in by_name:
    for path in sorted(glob.glob(os.path.join(runs, side + "-*.json"))):
        try:
            data = json.load(open(path))
        except (OSError, ValueError):
            continue
        context.setdefault(side, data.get("context", {}))
        exe = os.path.basename(path)[len(side) + 1:].rsplit("-", 1)[0].removeprefix("bench_")
        for b in data.get("benchmarks", []):
            if b.get("error_occurred") or b.get("run_type", "iteration") != "iteration":
                continue
            b["name"] = b["run_name"] = exe + "/" + b["name"]
            for field in ("real_time", "cpu_time"):
                b[field] *= scale.get(b.get("time_unit", "ns"), 1)
            b["time_unit"] = "ns"
            by_name[side].setdefault(b["name"], []).append(b)
both = [n for n in by_name["base"] if n in by_name["head"]]
for side, out in outs.items():
    benchmarks = []
    for order, name in enumerate(both):
        entries = by_name[side][name]
        # compare.py orders by these indexes, which each executable starts from 0.
        for i, b in enumerate(entries):
            b.update(repetitions=len(entries), repetition_index=i, family_index=order, per_family_instance_index=0)
            benchmarks.append(b)
        median = dict(entries[0], name=name + "_median", run_type="aggregate", aggregate_name="median")
        for field in ("real_time", "cpu_time"):
            median[field] = statistics.median(b[field] for b in entries)
        benchmarks.append(median)
    json.dump({"context": context.get(side, {}), "benchmarks": benchmarks}, open(out, "w"))
EOF

echo
(cd "$(dirname "$compare")" && "$py" "$compare" --no-color -a --alpha "$alpha" -d "$scratch/diff.json" \
  benchmarks "$scratch/base.json" "$scratch/head.json") | sed "s|$scratch/||g"

# A case is flagged when its median CPU time is slower beyond the threshold and the U test
# finds the two sides' CPU times differ.
"$py" - "$scratch/diff.json" "$threshold" "$alpha" <<'EOF'
import json, sys
diff, threshold, alpha = json.load(open(sys.argv[1])), float(sys.argv[2]) / 100, float(sys.argv[3])
pvalue = {d["name"]: d["utest"]["cpu_pvalue"] for d in diff if d.get("utest")}
flagged = []
for d in diff:
    if d.get("aggregate_name") != "median":
        continue
    name = d["name"].removesuffix("_median")
    change = d["measurements"][0]["cpu"]
    p = pvalue.get(name)
    if change > threshold and p is not None and p < alpha:
        flagged.append((name, change, p))
print()
if flagged:
    print("Slower by more than %g%% (median CPU time, U test p < %g):" % (threshold * 100, alpha))
    for name, change, p in flagged:
        print("  %-60s x%.2f  p=%.4f" % (name, 1 + change, p))
    sys.exit(1)
print("No case slower by more than %g%% with significance." % (threshold * 100))
EOF
