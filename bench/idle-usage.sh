#!/usr/bin/env bash
# The editor idle under a virtual display, beside an empty window of the same
# size: the share of one core each takes over 20 s, and the resident memory of
# each once it has started. Usage: bench/idle-usage.sh [seconds]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
build="$root/build/release"

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target velmor_editor empty_window > /dev/null
source "$build/product.sh"

# The programs run one after the other in a home folder of the run's own, so
# that the user's settings, log and instance lock are left alone.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

HOME="$home" EDITOR_BIN="$build/app/$product_name" EDITOR_TITLE="^${product_title//./\\.}\$" EMPTY_BIN="$build/bench/empty_window" SECONDS_TO_MEASURE="$seconds" \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        set -euo pipefail
        ticks=$(getconf CLK_TCK)

        # User and system time in clock ticks; the name in the second field may hold blanks.
        cpu_ticks() {
            sed "s/.*) //" "/proc/$1/stat" | awk "{ print \$12 + \$13 }"
        }

        measure() {
            local name="$1" title="$2"; shift 2
            "$@" > /dev/null 2>&1 &
            local pid=$!
            for _ in $(seq 1 200); do
                xdotool search --onlyvisible --name "$title" > /dev/null 2>&1 && break
                sleep 0.1
            done
            # Past start-up and the splash screen.
            sleep 5
            local rss cpu0 cpu1
            rss=$(awk "/^VmRSS/ { print \$2 }" /proc/$pid/status)
            cpu0=$(cpu_ticks "$pid")
            sleep "$SECONDS_TO_MEASURE"
            cpu1=$(cpu_ticks "$pid")
            kill "$pid"
            wait "$pid" 2> /dev/null || true
            awk -v n="$name" -v c=$((cpu1 - cpu0)) -v t="$ticks" -v s="$SECONDS_TO_MEASURE" -v r="$rss" \
                "BEGIN { printf \"%-14s %6.2f %% of one core   %6.1f MB resident\\n\", n, 100 * c / t / s, r / 1024 }"
        }

        measure "empty window" "^Empty Window$" "$EMPTY_BIN"
        measure "editor" "$EDITOR_TITLE" "$EDITOR_BIN"
    '
