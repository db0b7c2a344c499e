#!/usr/bin/env bash
# The Windows stage of the test command: builds Kelmor.dll and its tests with
# MinGW-w64 (build-win32/) and runs them: the export table on Linux, the rest under
# Wine in a private 32-bit prefix with a virtual X display. Every wait is bounded.
# Outside CI a machine without the tool chain skips the stage (scripts/setup-windows.sh
# installs it); in CI (CI=true) the tool chain is installed and the stage always runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${CI:-}" = "true" ]; then
  scripts/setup-windows.sh
elif ! command -v i686-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null ||
  ! command -v Xvfb >/dev/null; then
  echo "SKIPPED: the Windows stage needs MinGW-w64, Wine and Xvfb; install them with scripts/setup-windows.sh"
  exit 0
fi

scripts/build-windows.sh build-win32 -- Kelmor text_tests win32_tests

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kelmor-wine.XXXXXX)
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# A display of our own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

echo "-- preparing the Wine prefix $WINEPREFIX"
# One server for the prefix's set-up and every test program, kept for ten minutes
# after the last one ends (each would otherwise start its own); its output away from
# our pipes, which it would hold open.
wineserver -p 600 </dev/null >/dev/null 2>&1
if ! timeout 300 wineboot -i </dev/null >/dev/null 2>&1; then
  echo "FAIL: wineboot did not finish within 300 s" >&2
  exit 1
fi

(cd build-win32 && ctest --output-on-failure --timeout 120 -R "^(windows\.|Gbk)")
