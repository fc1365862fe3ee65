#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test under a virtual X display, fuzzes the decoder, builds the optimised
# release with its benchmarks, then runs the threaded tests once more under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

bash tools/install-deps.sh

echo "== format"
bash tools/check-format.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tools/sanitizers/tsan.supp"

echo "== build: address,undefined"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMOR_SANITIZE=address,undefined >/dev/null
cmake --build build/asan --parallel "$jobs"

# The display server must not reset when its last client leaves between two
# tests: a reset drops the atoms that windows rely on and refuses clients
# that connect meanwhile.
display_server="-screen 0 1280x1024x24 -noreset"

echo "== tests: address,undefined"
xvfb-run -a -s "$display_server" \
    ctest --test-dir build/asan --output-on-failure --parallel "$jobs" --timeout 300

echo "== fuzz: decoder, address,undefined, 60 s"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMOR_FUZZ=ON \
    -DVELMOR_SANITIZE=address,undefined -DVELMOR_BUILD_TESTS=OFF -DVELMOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz --parallel "$jobs" --target velmor_decode_fuzzer
mkdir -p build/fuzz/corpus
# Any crash or sanitizer report ends the run with a non-zero status.
build/fuzz/tests/fuzz/velmor_decode_fuzzer -max_total_time=60 -dict=tests/fuzz/decode.dict -artifact_prefix=build/fuzz/ \
    -print_final_stats=1 build/fuzz/corpus tests/fuzz/seeds

echo "== fuzz: microperformance file, address,undefined, 30 s"
cmake --build build/fuzz --parallel "$jobs" --target velmor_file_fuzzer
mkdir -p build/fuzz/file-corpus
build/fuzz/tests/fuzz/velmor_file_fuzzer -max_total_time=30 -artifact_prefix=build/fuzz/file- \
    -print_final_stats=1 build/fuzz/file-corpus tests/fuzz/file-seeds

# Optimised, the compiler sees further and warns of more: the benchmarks and
# everything else are built once as the README builds them.
echo "== build: release"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --parallel "$jobs"

echo "== build: thread"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMOR_SANITIZE=thread \
    -DVELMOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/tsan --parallel "$jobs"

echo "== tests: thread (threaded tests only)"
xvfb-run -a -s "$display_server" \
    ctest --test-dir build/tsan --output-on-failure --parallel "$jobs" --timeout 300 -L threaded
