#!/usr/bin/env bash
# Installs, from Debian's packages, what the Wine suite needs and this machine
# lacks: Wine with its 32-bit half, Xvfb, xdotool, ImageMagick and Python.
# A failed step stops the suite with a message that says which one.
set -euo pipefail

packages=(wine wine32:i386 xvfb xdotool imagemagick python3)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
((${#missing[@]} == 0)) && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
fail() {
  echo "############################################################" >&2
  echo "FAIL: installing the Wine suite's packages: $1" >&2
  echo "############################################################" >&2
  exit 1
}
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || fail "dpkg --add-architecture i386"
fi
$sudo apt-get update -qq || fail "apt-get update"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
  "${missing[@]}" >/dev/null || fail "apt-get install ${missing[*]}"
