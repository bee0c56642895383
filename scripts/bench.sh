#!/usr/bin/env bash
# Builds the benchmark and soak programs (Release, preset "bench", with
# -DTWAIN_BUILD_BENCH=ON) and runs them:
#   1. the figures beside their baselines, in time (the median of three
#      repetitions, CPU time), with the machine's load before and after;
#   2. the same operations in instructions under callgrind, which the load
#      of a shared machine does not change;
#   3. the soak, open/enable/transfer/close cycles in one process.
#
#   scripts/bench.sh [soak cycles, default 10000]   (0: no soak)
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-10000}

bash scripts/install-dependencies.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j2
bin=build/bench/bin

echo "== machine"
echo "$(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
uptime

echo "== time"
"$bin/twain_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2

echo "== instructions (callgrind)"
if command -v valgrind >/dev/null; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
    "$bin/twain_bench" --instructions >"$out/goals" 2>"$out/valgrind.log" ||
    { cat "$out/valgrind.log" >&2; exit 1; }
  # Each dump is named "<figure>|<figure or baseline>|<iterations>".
  for dump in "$out"/callgrind.out.*; do
    awk '/^desc: Trigger: Client Request: / {sub(/^desc: Trigger: Client Request: /, ""); name = $0}
         /^summary: / {total = $2}
         END {if (name != "") print name "|" total}' "$dump"
  done | awk -F'|' '
    FILENAME == "-" {ir[$1 "|" $2] = $4 / $3; next}
    $1 == "goal" {goal[$2] = $3; order[++n] = $2}
    END {
      printf "%-28s %16s %16s %8s %6s\n", "figure", "source (Ir)", "baseline (Ir)", "ratio", "goal"
      for (i = 1; i <= n; ++i) {
        f = order[i]; s = ir[f "|figure"]; b = ir[f "|baseline"]
        printf "%-28s %16.0f", f, s
        if (b > 0) {
          printf " %16.0f %8.2f", b, s / b
          if (goal[f] > 0) printf " %6.1f%s", goal[f], (s / b <= goal[f] ? "" : "  missed")
        }
        printf "\n"
      }
    }' - FS=' ' "$out/goals"
else
  echo "valgrind is not installed: no instruction counts"
fi

if ((cycles > 0)); then
  echo "== soak, $cycles cycles"
  time "$bin/soak" "$cycles"
fi
