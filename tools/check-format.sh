#!/usr/bin/env bash
# Fails when any of the project's C++ sources is not in the house style of .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' \
    | xargs -r clang-format --dry-run --Werror
