#!/usr/bin/env bash
# Installs every package the editor, its tests, tools and benchmarks need.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    juce-modules-source zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    xvfb xauth xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo > /dev/null; then
        echo "These packages are missing; install them as root, then run this again:" >&2
        echo "    apt-get install ${missing[*]}" >&2
        exit 1
    fi
    sudo_cmd=(sudo)
fi

"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
