#!/usr/bin/env bash
# Builds Kelmor.dll for a 32-bit Windows host with MinGW-w64 into build-win32/ (or
# the folder named): the DLL, the DLLs it ships with (bin/), and the programs that
# test it under Wine. Installs the tool chain first when it is missing (root/sudo).
#   scripts/build-windows.sh [DIR [-- TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win32}
shift || true
[ "${1:-}" = "--" ] && shift
targets=("$@")
((${#targets[@]})) || targets=(Kelmor text_tests)

scripts/setup-windows.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/mingw-w64-i686.cmake" "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
