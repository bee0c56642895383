#!/usr/bin/env bash
# Builds the source, the stand-ins and the acquire application, then acquires
# from the simulated board. Arguments go to acquire (see --help); by default
# one native transfer written to acquired/frame.bmp.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake --preset host >/dev/null
cmake --build --preset host -j2 --target acquire Twain_32 source_manager imaging_mil imaging_milmet2

mkdir -p acquired
cd acquired
if (($# == 0)); then
  set -- --mode native --output frame.bmp
fi
../build/host/bin/acquire "$@"
echo "Images are in $(pwd)"
