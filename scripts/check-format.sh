#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format makes of it
# (the repository's .clang-format); `clang-format -i FILE` mends it.
#   scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
