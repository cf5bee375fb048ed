#!/usr/bin/env bash
# Installs more Debian font packages for masuvo-train-digits, which prints
# its training puzzles in every installed family that has the digits 1 to 9.
# Only the training tool needs them; the program itself does not.
# Packages this Debian release does not know are skipped.
set -eu
packages=(
  fonts-dejavu-core fonts-dejavu-extra
  fonts-liberation fonts-liberation2
  fonts-freefont-ttf
  fonts-urw-base35
  fonts-noto-cjk
  fonts-ipafont-gothic fonts-ipafont-mincho
  fonts-takao-gothic fonts-takao-mincho
  fonts-vlgothic
  fonts-croscore fonts-crosextra-carlito fonts-crosextra-caladea
  fonts-open-sans fonts-roboto-unhinted fonts-lato
  fonts-texgyre fonts-linuxlibertine fonts-cantarell
)
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
available=()
for package in "${packages[@]}"; do
  if apt-cache show "$package" >/dev/null 2>&1; then
    available+=("$package")
  else
    echo "install-training-fonts.sh: $package is not in this release, skipped" >&2
  fi
done
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${available[@]}"
fc-cache -f >/dev/null
echo "fonts with the digits: $(fc-list :charset=31-39 family | sort -u | wc -l) families"
