#!/usr/bin/env bash
# Builds the benchmarks of two commits in the optimised build, runs those whose code the change
# touches in turns and compares each round's pair of runs as a ratio (bench-paired.py). Exits 1 when
# a case is slower than the threshold with significance, 2 when it cannot compare.
#
#   scripts/bench-compare.sh [options] BASE [HEAD]      (HEAD defaults to HEAD)
#     --all             every benchmark program, touched or not
#     --base-build DIR  an optimised build of BASE to use instead of building it (likewise --head-build)
#     --filter REGEX    only the benchmarks whose names match (Google Benchmark's filter)
#     --benches REGEX   only the executables whose names match, e.g. 'GridPaint|UiMessages'
#     --reps N          rounds, each a run of either side (default 6)
#     --min-time S      seconds each benchmark runs for per run (default 0.1)
#     --threshold PCT   a median ratio above 1 + PCT/100 is flagged (default 10)
#     --alpha P         significance level of the signed-rank test (default 0.05)
#     --jobs N          build jobs, and processors the probe and the runs use (default: the processors)
#     --work DIR        scratch folder (default: build/bench-compare under the checkout)
#     --keep            keep the two builds there for the next run
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts=$repo/scripts

all=0 base_build="" head_build="" filter="" benches="" reps=6 min_time=0.1 threshold=10 alpha=0.05 jobs=$(nproc) work="" keep=0
args=()
while (($#)); do
  case "$1" in
    --all) all=1; shift ;;
    --base-build) base_build=$2; shift 2 ;;
    --head-build) head_build=$2; shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    --benches) benches=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --min-time) min_time=$2; shift 2 ;;
    --threshold) threshold=$2; shift 2 ;;
    --alpha) alpha=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "bench-compare: unknown option $1" >&2; exit 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
((${#args[@]} >= 1 && ${#args[@]} <= 2)) || { echo "usage: $0 [options] BASE [HEAD]" >&2; exit 2; }
((reps >= 2)) || { echo "bench-compare: --reps must be at least 2" >&2; exit 2; }
base=$(git rev-parse --verify "${args[0]}^{commit}")
head=$(git rev-parse --verify "${args[1]:-HEAD}^{commit}")
started=$SECONDS
elapsed() { printf '%dm%02ds' $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)); }

scripts/install-deps.sh
py=python3

# Both commits are built in one worktree, one after the other, so that the second build compiles
# only what the change touches (every object holds the source folder's path, so a second folder
# would miss the compiler cache throughout); the first build is then copied aside.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$repo")} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
[ -n "$work" ] || work=$repo/build/bench-compare
mkdir -p "$work"
work=$(cd "$work" && pwd)
src=$work/src
scratch=$(mktemp -d "$work/run.XXXXXX")
declare -A commit=([base]=$base [head]=$head) tree=()
[ -z "$base_build" ] || tree[base]=$(cd "$base_build" && pwd)
[ -z "$head_build" ] || tree[head]=$(cd "$head_build" && pwd)
cleanup() {
  if ((!keep)); then
    git worktree remove --force "$src" 2>/dev/null || true
    git worktree prune
    rm -rf "$scratch" "$work/build-$base"
  fi
}
trap cleanup EXIT

build() {
  local side=$1 c=${commit[$1]}
  if [ -n "${tree[$side]:-}" ]; then return; fi
  if [ -d "$work/build-$c" ]; then tree[$side]=$work/build-$c; return; fi
  [ -d "$src" ] || git worktree add -q --detach "$src" "$c"
  git -C "$src" checkout -q --detach "$c"
  local targets=(kernel_folder)
  for file in "$src"/bench/*.cpp; do
    local name; name=$(basename "$file" .cpp)
    [[ -z "$benches" || "$name" =~ $benches ]] && targets+=("bench_$name")
  done
  echo "== building $side ${c:0:10} (${#targets[@]} targets, $(elapsed))" >&2
  # Configured as the default preset configures the optimised build; library paths relative to
  # each program, so that a copy runs on its own libraries.
  cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DDRAVONIX_WERROR=OFF -DCMAKE_BUILD_RPATH_USE_ORIGIN=ON >"$scratch/$side-configure.log" 2>&1 ||
    { tail -20 "$scratch/$side-configure.log" >&2; exit 2; }
  cmake --build "$src/build" -j"$jobs" --target "${targets[@]}" >"$scratch/$side-build.log" 2>&1 ||
    { tail -30 "$scratch/$side-build.log" >&2; exit 2; }
  if [ "$side" = base ]; then
    rm -rf "$work/build-$c.tmp" && cp -a "$src/build" "$work/build-$c.tmp" && mv "$work/build-$c.tmp" "$work/build-$c"
    tree[$side]=$work/build-$c
  else
    tree[$side]=$src/build
  fi
}
build base
build head
echo "== built ($(elapsed))" >&2

declare -A on=()
for side in base head; do
  for exe in "${tree[$side]}"/bin/bench_*; do
    name=$(basename "$exe")
    [[ -z "$benches" || "${name#bench_}" =~ $benches ]] && on[$name]+=$side
  done
done
exes=() fresh=()
for name in $(printf '%s\n' "${!on[@]}" | sort); do
  case ${on[$name]} in
    basehead) exes+=("$name") ;;
    head) fresh+=("$name (new in HEAD)") ;;
    *) fresh+=("$name (gone from HEAD)") ;;
  esac
done
((${#exes[@]})) || { echo "bench-compare: no benchmark in both commits" >&2; exit 2; }

# Which programs run code that differs: every function whose code differs between the builds
# gets a one-shot trap at its entry, and a short run of each program tells whether it enters one
# (a program the probe fails counts as touched). A reach read from the code alone takes in nearly
# the whole library here, since static initialisers register every class.
if ((!all)); then
  changed=$("$py" "$scripts/bench-changed.py" "${tree[base]}" "${tree[head]}" \
    "$scratch/base.traps" "$scratch/head.traps")
  cc -O1 -shared -fPIC -o "$scratch/probe.so" "$scripts/bench-probe.c" -ldl
  mkdir -p "$scratch/probe"
  export scratch filter TREE_BASE=${tree[base]} TREE_HEAD=${tree[head]}
  # Each program stops at the first such entry; BASE is asked only where HEAD enters none.
  if ((changed)); then
    printf '%s\n' "${exes[@]}" | xargs -P "$jobs" -I{} bash -c '
      exe=$0 only=()
      [ -z "$filter" ] || only=(--benchmark_filter="$filter")
      for side in head base; do
        [ "$side" = base ] && dir=$TREE_BASE || dir=$TREE_HEAD
        LD_LIBRARY_PATH=$dir/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} LD_PRELOAD=$scratch/probe.so BENCH_PROBE_FIRST=1 \
          BENCH_PROBE_IN=$scratch/$side.traps BENCH_PROBE_OUT=$scratch/probe/$exe.$side \
          "$dir/bin/$exe" "${only[@]}" --benchmark_min_time=0.01 >/dev/null 2>&1 ||
          echo "$side failed" >"$scratch/probe/$exe.$side.failed"
        if compgen -G "$scratch/probe/$exe.*" >/dev/null; then break; fi
      done' {}
  fi
  touched=()
  for exe in "${exes[@]}"; do
    if compgen -G "$scratch/probe/$exe.*" >/dev/null && [ -n "$(cat "$scratch/probe/$exe".*)" ]; then
      touched+=("$exe")
    fi
  done
  echo "== $changed functions differ; ${#touched[@]} of ${#exes[@]} programs run one ($(elapsed)):" \
    "${touched[*]#bench_}" >&2
  exes=("${touched[@]}")
fi
for line in "${fresh[@]}"; do echo "== not compared: $line" >&2; done

# A program's two sides run one right after the other on the same processor, the first to run
# alternating, so that a neighbour's load meets both alike (run at once, they met it apart); each
# processor allowed takes its share of the programs.
mkdir -p "$scratch/runs"
read -ra cpus < <(taskset -pc $$ | sed 's/.*: //' | tr ',' '\n' |
  awk -F- '{ for (c = $1; c <= ($2 == "" ? $1 : $2); ++c) printf "%d ", c } END { print "" }')
((jobs < ${#cpus[@]})) && cpus=("${cpus[@]:0:jobs}")
run() {
  local side=$1 exe=$2 rep=$3 cpu=$4 only=()
  [ -z "$filter" ] || only=(--benchmark_filter="$filter")
  LD_LIBRARY_PATH=${tree[$side]}/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} taskset -c "$cpu" "${tree[$side]}/bin/$exe" \
    "${only[@]}" --benchmark_min_time="$min_time" \
    --benchmark_out="$scratch/runs/$side-$exe-$rep.json" --benchmark_out_format=json \
    >>"$scratch/runs/$side-$rep.log" 2>&1 || echo "bench-compare: $exe ($side) failed in round $rep" >&2
}
for ((rep = 0; rep < reps && ${#exes[@]}; ++rep)); do
  echo "== round $((rep + 1)) of $reps ($(elapsed))" >&2
  for ((w = 0; w < ${#cpus[@]}; ++w)); do
    for ((i = w; i < ${#exes[@]}; i += ${#cpus[@]})); do
      if (((rep + i) % 2)); then run head "${exes[i]}" "$rep" "${cpus[w]}"; run base "${exes[i]}" "$rep" "${cpus[w]}"
      else run base "${exes[i]}" "$rep" "${cpus[w]}"; run head "${exes[i]}" "$rep" "${cpus[w]}"; fi
    done &
  done
  wait
done
echo "== done ($(elapsed))" >&2

echo
status=0
"$py" "$scripts/bench-paired.py" "$scratch/runs" "$threshold" "$alpha" || status=$?
exit "$status"
