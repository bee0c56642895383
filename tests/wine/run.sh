#!/usr/bin/env bash
# The Windows build under Wine, against Wine's own Source Manager, registry,
# global memory and windows: builds the PE32 module, the simulated board's
# DLLs and acquire.exe, makes a private 32-bit prefix, installs the module as
# the data source that Wine's TWAIN_32.DLL loads (C:\windows\twain_32\sane.ds),
# and runs acquire.exe under Xvfb in Wine's virtual desktop.
#
#   bash tests/wine/run.sh
#
# Everything lands in build/wine-run (outputs, logs, screenshots) and
# build/wine-prefix (the prefix, made afresh each run). Every Wine command
# runs under timeout, so a hanging Wine fails the run instead of stalling it.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
source tests/wine/wine_session.sh

started=$SECONDS
bash tests/wine/install-wine.sh

echo "== Windows build"
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j2 --target Twain_32 imaging_mil imaging_milmet2 acquire \
  two_sessions

run_dir=$root/build/wine-run
rm -rf "$run_dir"
mkdir -p "$run_dir"
StartWine "$root/build/wine-prefix" "$run_dir"
InstallModules "$root/build/windows-i686/bin"

source tests/wine/checks.sh

echo "== Wine suite: $passed passed, $failed failed in $((SECONDS - started)) s"
((failed == 0))
