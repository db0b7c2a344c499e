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
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
if ((${#targets[@]})); then
  cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$dir" -j"$(nproc)"
fi
