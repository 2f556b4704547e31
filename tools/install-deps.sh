#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the application need.
# Idempotent: only packages that are missing are installed. Needs root (or sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-svg-dev qt6-tools-dev
  qt6-tools-dev-tools qt6-l10n-tools libgl-dev libxkbcommon-dev
  pybind11-dev python3-dev
  libgtest-dev libgmock-dev
  liblapack-dev liblapacke-dev minpack-dev libpcre2-dev
  libxlsxwriter-dev libgsf-1-dev zlib1g-dev
  python3-numpy python3-scipy python3-pytest python3-matplotlib
  python3-openpyxl python3-xlrd python3-xlwt
  clang libclang-rt-14-dev
  xvfb imagemagick fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"
