#!/bin/sh
# Installs the Debian packages Quillmar builds and tests with, when missing.
set -e
PKGS="make g++ cmake ninja-build pkg-config zlib1g-dev libdeflate-dev libxxhash-dev libfftw3-dev qt6-base-dev qt6-svg-dev libgtest-dev libgmock-dev libbenchmark-dev locales fitsverify python3-astropy python3-numpy python3-scipy libcairo2-dev fonts-urw-base35 ghostscript libwmf-bin librsvg2-bin libreoffice-draw-nogui imagemagick"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Run this as root (or install sudo) to install:$missing" >&2
    exit 1
  fi
  SUDO=sudo
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
