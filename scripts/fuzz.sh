#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang, address and
# undefined-behaviour sanitizers) and runs each for a bounded time, starting
# from its corpus in fuzz/corpus/<target>/. New inputs go to a scratch folder,
# so the kept corpus stays small; a crash leaves its input in build/fuzz/ and
# fails the script.
#
#   scripts/fuzz.sh [seconds per target, default 45]
#   scripts/fuzz.sh --merge [seconds]   runs, then merges what was found into
#                                       the kept corpus (keeps only inputs that
#                                       add coverage)
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [[ "${1:-}" == "--merge" ]]; then
  merge=1
  shift
fi
seconds=${1:-45}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
bin=build/fuzz/bin
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"

# The build uses clang's shared sanitizer runtime, which every module of the
# process shares; it must come first, before the C++ library that libFuzzer
# brings in.
runtime_dir=$(clang -print-runtime-dir)
fuzzer() {
  LD_LIBRARY_PATH="$runtime_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    LD_PRELOAD="$runtime_dir/libclang_rt.asan-x86_64.so" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=64 \
    UBSAN_OPTIONS=print_stacktrace=1 "$@"
}

for target in triplet_fuzzer registry_fuzzer lut_values_fuzzer; do
  corpus=fuzz/corpus/$target
  scratch=$(mktemp -d)
  mkdir -p "$corpus"
  echo "== $target, ${seconds} s"
  fuzzer "$bin/$target" -max_total_time="$seconds" -max_len=2048 -len_control=0 \
    -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 -close_fd_mask=3 \
    -artifact_prefix="$artifacts/$target-" "$scratch" "$corpus"
  if ((merge)); then
    fuzzer "$bin/$target" -merge=1 -max_len=2048 -close_fd_mask=3 "$corpus" "$scratch"
  fi
  rm -rf "$scratch"
done
