#!/usr/bin/env bash
# Builds everything and runs every test: the host suites, the same suites
# under the address, undefined-behaviour and leak sanitizers, each fuzz target
# for a bounded time, then the check of the 32-bit Windows module (it links,
# and it exports exactly DS_Entry), then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

echo "== host build and tests"
cmake --preset host >/dev/null
cmake --build --preset host -j2
ctest --preset host -j1

echo "== sanitizer build and tests (address, undefined behaviour, leaks)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan -j2

echo "== fuzzing"
bash scripts/fuzz.sh

echo "== 32-bit Windows module"
bash scripts/check-windows-build.sh

echo "== Windows build under Wine"
bash tests/wine/run.sh
