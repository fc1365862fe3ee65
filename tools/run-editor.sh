#!/usr/bin/env bash
# Installs every dependency, builds the editor (Release, build/release) and starts it.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/release"

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target velmor_editor
source "$build/product.sh"

# Without a display the editor says so in one line and ends with an error.
exec "$build/app/$product_name"
