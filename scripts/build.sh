#!/usr/bin/env bash
# Configures and builds into a folder at the repository root: build/ unless named.
#   scripts/build.sh [DIR [CMAKE-OPTION... [-- TARGET...]]]
# e.g. scripts/build.sh build-asan -DKELMOR_SANITIZE=address
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
options=()
targets=()
while (($#)); do
  if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
  options+=("$1"); shift
done
# The compiler cache, when there is one and the caller named no launcher: the test
# command's trees (plain, ASan, TSan, fuzz) each compile most of the sources, and a
# run after a small change finds nearly all of them in the cache.
if command -v ccache >/dev/null && [[ " ${options[*]} " != *COMPILER_LAUNCHER* ]]; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
if ((${#targets[@]})); then
  cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$dir" -j"$(nproc)"
fi
