#!/usr/bin/env bash
# Starts the editor on a virtual X display and saves a picture of the screen.
# Usage: tools/screenshot.sh [output.png] [seconds to wait after the window appears]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
output="$(realpath -m "${1:-$root/build/screenshot.png}")"
settle="${2:-5}"
build="$root/build/release"

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target velmor_editor > /dev/null
source "$build/product.sh"
editor="$build/app/$product_name"
# The window's title, as a pattern for xdotool.
title="^${product_title//./\\.}\$"
mkdir -p "$(dirname "$output")"

# The editor gets a home folder of its own so its settings, log and instance lock stay apart.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

HOME="$home" EDITOR_BIN="$editor" TITLE="$title" OUTPUT="$output" SETTLE="$settle" \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        set -euo pipefail
        "$EDITOR_BIN" > /dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 200); do
            if xdotool search --onlyvisible --name "$TITLE" > /dev/null 2>&1; then
                break
            fi
            sleep 0.1
        done
        if ! xdotool search --onlyvisible --name "$TITLE" > /dev/null 2>&1; then
            echo "screenshot: the editor window did not appear" >&2
            kill "$pid" 2> /dev/null || true
            exit 1
        fi
        sleep "$SETTLE"
        import -window root "$OUTPUT"
        kill "$pid"
        wait "$pid" 2> /dev/null || true
    '

echo "$output"
