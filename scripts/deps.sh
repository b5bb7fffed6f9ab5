#!/bin/sh
# Installs the Debian packages Quillmar builds and tests with, when missing.
set -e
PKGS="g++ cmake ninja-build pkg-config zlib1g-dev libfftw3-dev qt6-base-dev qt6-svg-dev libgtest-dev libgmock-dev libbenchmark-dev locales fitsverify python3-astropy python3-numpy python3-scipy imagemagick"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
