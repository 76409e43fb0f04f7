#!/usr/bin/env bash
# Builds the benchmarks of two commits in the optimised build, runs those whose code the change
# touches in turns and compares each round's pair of runs as a ratio (bench-paired.py). Exits 1 when
# a case is slower than the threshold with significance, 2 when it cannot compare.
#
#   scripts/bench-compare.sh [options] BASE [HEAD]      (HEAD defaults to HEAD)
#     --all             every case of every program, touched or not
#     --base-build DIR  an optimised build of BASE to use instead of building it (likewise --head-build)
#     --filter REGEX    only the benchmarks whose names match (Google Benchmark's filter)
#     --benches REGEX   only the executables whose names match, e.g. 'GridPaint|UiMessages'
#     --reps N          rounds, each a run of either side (default 6)
#     --screen N        rounds after which only the cases with a ratio off 1 by more than half the
#                       threshold run on (default 2; 0 runs every case every round)
#     --min-time S      seconds each benchmark runs for per run (default 0.1)
#     --budget MIN      minutes for the whole comparison, build included (default 30; 0: none): once
#                       the rounds left would pass it, the costliest programs run on only their cases
#                       still in doubt, until those have 5 rounds; the table marks the cases cut
#     --threshold PCT   a median ratio above 1 + PCT/100 is flagged (default 10)
#     --alpha P         significance level of the signed-rank test (default 0.05)
#     --jobs N          build jobs, and processors the probe and the runs use (default: the processors)
#     --work DIR        scratch folder (default: build/bench-compare under the checkout)
#     --keep            keep the two builds there for the next run
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts=$repo/scripts

all=0 base_build="" head_build="" filter="" benches="" reps=6 screen=2 min_time=0.1 budget=30 threshold=10 alpha=0.05 jobs=$(nproc) work="" keep=0
args=()
while (($#)); do
  case "$1" in
    --all) all=1; shift ;;
    --base-build) base_build=$2; shift 2 ;;
    --head-build) head_build=$2; shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    --benches) benches=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --min-time) min_time=$2; shift 2 ;;
    --budget) budget=$2; shift 2 ;;
    --threshold) threshold=$2; shift 2 ;;
    --alpha) alpha=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
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

# Which cases run code that differs: every function whose code differs between the builds gets a
# trap at its entry, set only while a case's timed loop runs (bench-probe.c), and a short run of each
# program tells which cases enter one. Start-up and set-up count for nothing: static initialisers
# register every class and every program makes a window, so nearly all programs enter changed code
# before their first loop. Only those cases run, and the cases one side lacks; a program the probe
# fails runs whole.
declare -A pick=()  # program -> the cases of it that run, as a --benchmark_filter
# Names as one anchored pattern of literal alternatives.
pattern() { sed 's/[][\.^$|()*+?{}]/\\&/g' | paste -sd'|' | sed 's/.*/^(&)$/'; }
# Keeps the programs FILE lists (lines "PREFIX<program> <case>"), each running only the cases listed.
narrow() {
  local left=() exe
  for exe in "${exes[@]}"; do
    if grep -q "^$2$exe " "$1"; then
      pick[$exe]=$(sed -n "s/^$2$exe //p" "$1" | pattern)
      left+=("$exe")
    fi
  done
  exes=("${left[@]}")
}
half=$(awk -v t="$threshold" 'BEGIN { print t / 2 }')
if ((!all)); then
  changed=$("$py" "$scripts/bench-changed.py" "${tree[base]}" "${tree[head]}" \
    "$scratch/base.traps" "$scratch/head.traps")
  cc -O1 -shared -fPIC -o "$scratch/probe.so" "$scripts/bench-probe.c" -ldl
  mkdir -p "$scratch/probe"
  probe() {
    local exe=$1 out=$scratch/probe/$1 side dir user=()
    [ -z "$filter" ] || user=(--benchmark_filter="$filter")
    for side in base head; do
      [ "$side" = base ] && dir=$TREE_BASE || dir=$TREE_HEAD
      LD_LIBRARY_PATH=$dir/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} "$dir/bin/$exe" "${user[@]}" \
        --benchmark_list_tests 2>/dev/null | grep -v '[[:space:]]' | sort >"$out.$side" &&
        [ "${PIPESTATUS[0]}" = 0 ] || { : >"$out.failed"; return; }
    done
    comm -3 "$out.base" "$out.head" | tr -d '\t' >"$out.touched"
    comm -12 "$out.base" "$out.head" >"$out.left"
    # HEAD first; BASE only for the cases HEAD's loops did not enter changed code in. Each loop runs
    # once, under the name it has so (iterations:1), matched to its own by the order of the lists.
    for side in head base; do
      ((changed)) && [ -s "$out.left" ] || break
      [ "$side" = base ] && dir=$TREE_BASE || dir=$TREE_HEAD
      for once in "" 1; do
        LD_LIBRARY_PATH=$dir/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} LD_PRELOAD=$scratch/probe.so BENCH_PROBE_ONCE=$once \
          "$dir/bin/$exe" "${user[@]}" --benchmark_list_tests 2>/dev/null | grep -v '[[:space:]]' | grep . >"$out.$side.names$once" ||
          { : >"$out.failed"; return; }
      done
      paste "$out.$side.names" "$out.$side.names1" >"$out.$side.map"
      mv "$out.left" "$out.asked"
      LD_LIBRARY_PATH=$dir/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} LD_PRELOAD=$scratch/probe.so BENCH_PROBE_ONCE=1 \
        BENCH_PROBE_IN=$scratch/$side.traps "$dir/bin/$exe" --benchmark_min_time=0.000001 --benchmark_color=false \
        --benchmark_filter="$(awk -F'\t' 'NR == FNR { asked[$0] = 1; next } $1 in asked { print $2 }' "$out.asked" "$out.$side.map" |
          sort -u | pattern)" >"$out.$side.txt" 2>/dev/null || { : >"$out.failed"; return; }
      awk -F'\t' -v touched="$out.touched" -v left="$out.left" '
        FILENAME == ARGV[1] { asked[$0] = 1; next }
        FILENAME == ARGV[2] { if ($1 in asked) real[$2, ++named[$2]] = $1; next }
        /^@bench-probe / { hit = 1; next }
        { split($0, f, " ") }
        f[1] in named { name = real[f[1], ++seen[f[1]]]; if (name != "") print name >>(hit ? touched : left); hit = 0 }' \
        "$out.asked" "$out.$side.map" "$out.$side.txt"
      touch "$out.left"
    done
  }
  export -f pattern probe
  export scratch filter changed TREE_BASE=${tree[base]} TREE_HEAD=${tree[head]}
  printf '%s\n' "${exes[@]}" | xargs -P "$jobs" -I{} bash -c 'probe "$1"' _ {}
  touched=() cases=0
  for exe in "${exes[@]}"; do
    if [ -e "$scratch/probe/$exe.failed" ]; then
      pick[$exe]=$filter
      touched+=("$exe (whole: the probe failed)")
    elif [ -s "$scratch/probe/$exe.touched" ]; then
      pick[$exe]=$(pattern <"$scratch/probe/$exe.touched")
      n=$(wc -l <"$scratch/probe/$exe.touched")
      cases=$((cases + n))
      touched+=("$exe ($n)")
    fi
  done
  echo "== $changed functions differ; $cases cases in ${#touched[@]} of ${#exes[@]} programs run one" \
    "or are on one side only ($(elapsed)): ${touched[*]#bench_}" >&2
  exes=("${!pick[@]}")
  exes=($(printf '%s\n' "${exes[@]}" | sort))
fi
for line in "${fresh[@]}"; do echo "== not compared: $line" >&2; done

# A program's two sides run one right after the other on the same processor, the first to run
# alternating, so that a neighbour's load meets both alike (run at once, they met it apart); each
# processor allowed takes the next program when it is free.
mkdir -p "$scratch/runs"
read -ra cpus < <(taskset -pc $$ | sed 's/.*: //' | tr ',' '\n' |
  awk -F- '{ for (c = $1; c <= ($2 == "" ? $1 : $2); ++c) printf "%d ", c } END { print "" }')
((jobs < ${#cpus[@]})) && cpus=("${cpus[@]:0:jobs}")
run() {
  local side=$1 exe=$2 rep=$3 cpu=$4 only=() sel=${pick[$2]-$filter}
  [ -z "$sel" ] || only=(--benchmark_filter="$sel")
  local t0=$EPOCHREALTIME
  LD_LIBRARY_PATH=${tree[$side]}/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} taskset -c "$cpu" "${tree[$side]}/bin/$exe" \
    "${only[@]}" --benchmark_min_time="$min_time" \
    --benchmark_out="$scratch/runs/$side-$exe-$rep.json" --benchmark_out_format=json \
    >>"$scratch/runs/$side-$rep.log" 2>&1 || echo "bench-compare: $exe ($side) failed in round $rep" >&2
  echo "$exe $(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')" >>"$scratch/cost-$rep"
}
# After the first --screen rounds only the cases with a ratio off 1 by more than half the threshold
# run on (bench-paired.py --unsettled).
take() { flock "$scratch/queue" sh -c 'read -r n <"$0"; echo $((n + 1)) >"$0"; echo "$n"' "$scratch/queue"; }
for ((rep = 0; rep < reps && ${#exes[@]}; ++rep)); do
  echo "== round $((rep + 1)) of $reps, ${#exes[@]} programs ($(elapsed))" >&2
  echo 0 >"$scratch/queue"
  for ((w = 0; w < ${#cpus[@]}; ++w)); do
    while i=$(take) && ((i < ${#exes[@]})); do
      if (((rep + i) % 2)); then run head "${exes[i]}" "$rep" "${cpus[w]}"; run base "${exes[i]}" "$rep" "${cpus[w]}"
      else run base "${exes[i]}" "$rep" "${cpus[w]}"; run head "${exes[i]}" "$rep" "${cpus[w]}"; fi
    done &
  done
  wait
  if ((rep + 1 == screen && screen < reps)); then
    "$py" "$scripts/bench-paired.py" --unsettled "$scratch/runs" "$half" \
      >"$scratch/unsettled"
    ran=$(find "$scratch/runs" -name "base-*-$rep.json" -exec cat {} + | grep -c '"run_type": "iteration"' || true)
    narrow "$scratch/unsettled" ""
    echo "== $(wc -l <"$scratch/unsettled") of $ran cases have a ratio off 1 by more than $half% and run on" >&2
    cp "$scratch/unsettled" "$scratch/running"
  fi
  # Past the screen, the rounds left must fit the budget at this round's cost (bench-paired.py --budget).
  if ((budget && rep + 1 >= screen && rep + 1 < reps && ${#exes[@]})); then
    "$py" "$scripts/bench-paired.py" --budget "$scratch/runs" "$threshold" "$scratch/cost-$rep" \
      $((budget * 60 - (SECONDS - started))) $((reps - rep - 1)) "${#cpus[@]}" "$rep" "$scratch/running" >"$scratch/plan"
    if grep -q '^cut ' "$scratch/plan"; then
      grep '^cut ' "$scratch/plan" | cut -d' ' -f2- | tee -a "$scratch/cut" | cut -d' ' -f1 | sort | uniq -c |
        awk '{ printf "%s%s (%d)", (NR > 1 ? " " : ""), substr($2, 7), $1 }' >"$scratch/cut-now"
      narrow "$scratch/plan" "keep "
      echo "== the budget of $budget minutes leaves no time for every case: $(grep -c '^keep ' "$scratch/plan")" \
        "in doubt run on, these stop: $(cat "$scratch/cut-now")" >&2
      sed -n 's/^keep //p' "$scratch/plan" >"$scratch/running"
    fi
  fi
done
echo "== done ($(elapsed))" >&2

echo
status=0
"$py" "$scripts/bench-paired.py" "$scratch/runs" "$threshold" "$alpha" "$scratch/cut" || status=$?
exit "$status"
