#!/usr/bin/env bash
# Installs the Debian packages Kestrel needs to build, test and run, and any named as arguments
# (a benchmark's comparison tools), asking apt only for the ones that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
    qt6-base-dev libgl-dev fonts-liberation
    libgtest-dev libgmock-dev libbenchmark-dev
    libcups2-dev
    unrtf
    dpkg-dev lintian file groff-base binutils
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
