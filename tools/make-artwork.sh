#!/usr/bin/env bash
# Builds the artwork generator and redraws every image in resources/.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/artwork"

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMOR_BUILD_TESTS=OFF -DVELMOR_BUILD_BENCHMARKS=OFF > /dev/null
cmake --build "$build" --target artwork_generator
"$build/tools/artwork_generator" "$root/resources"
