#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, skipping those already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-image-formats-plugins qt6-translations-l10n
  libopencv-core-dev libopencv-imgproc-dev
  libwebp-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
  gstreamer1.0-plugins-base fonts-noto-cjk fonts-liberation xvfb xauth
  libgif-dev poppler-utils
  # clang with libFuzzer's runtime and its OpenMP, for scripts/fuzz.sh
  clang libclang-rt-14-dev libomp-14-dev
  # the install and package tests: cpack's Debian tools, the desktop's
  # validators and caches, a screenshot and the menus of the installed program
  dpkg-dev file desktop-file-utils appstream shared-mime-info xdotool imagemagick
  # the end-to-end tests of windows placed, stacked and decorated by a window manager
  openbox x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  run() { "$@"; }
else
  run() { sudo "$@"; }
fi
export DEBIAN_FRONTEND=noninteractive
run apt-get update -q
run apt-get install -y -q --no-install-recommends "${missing[@]}"
