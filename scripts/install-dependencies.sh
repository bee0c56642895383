#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build needs and this machine
# lacks. Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang llvm-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libtiff-dev libpng-dev pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
