#!/usr/bin/env bash
# Sets up, builds and runs every test: once as built for users (then the install
# tree and the Debian packages made from that build), once under
# AddressSanitizer + UndefinedBehaviorSanitizer, the threaded tests once more
# under ThreadSanitizer, and each fuzz target for a few seconds (scripts/fuzz.sh).
# The slow attack tests (label slow) run once, in the plain run.
# The SQL tests also run against a throw-away PostgreSQL
# cluster on loopback that this script starts and removes again. Kelmor.dll is
# built for Windows and tested under Wine (scripts/test-windows.sh). First of all the
# sources are held to clang-format. Each stage's time is printed at the end.
#   scripts/test.sh [--quick]     --quick: the plain run and the install tests only
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
quick=0
[ "${1:-}" = "--quick" ] && quick=1

# Each stage's name and seconds, printed when the script ends, failed or not.
stages=()
stage_name=""
stage_start=$SECONDS
stage() {  # NAME: ends the stage running and starts the next
  [ -n "$stage_name" ] && stages+=("$(printf '%6d s  %s' $((SECONDS - stage_start)) "$stage_name")")
  stage_name=$1
  stage_start=$SECONDS
  [ -n "$stage_name" ] && echo "== $stage_name"
  return 0
}
report_times() {
  stage ""
  echo "== time of each stage"
  printf '%s\n' "${stages[@]}"
  printf '%6d s  all\n' "$SECONDS"
}
trap report_times EXIT

scripts/setup.sh
stage "formatting (clang-format)"
scripts/check-format.sh
stage "build"
scripts/build.sh build

pg_dir=$(mktemp -d /tmp/kelmor-pg.XXXXXX)
trap '"$root/scripts/pg-throwaway.sh" stop "$pg_dir" || true; report_times' EXIT
if conn=$(scripts/pg-throwaway.sh start "$pg_dir"); then
  export KELMOR_PG_CONN="$conn"
else
  echo "WARNING: the throw-away PostgreSQL cluster did not start; its tests are skipped" >&2
fi

run_tests() {  # DIR [CTEST-OPTION...]
  local dir=$1; shift
  (cd "$dir" && ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@")
}

stage "tests"
run_tests build -LE install

# The install tree and the two Debian packages (cpack), used as an administrator would.
stage "install tree and packages"
run_tests build -L install
((quick)) && exit 0

stage "Kelmor.dll for Windows, tested under Wine"
scripts/test-windows.sh

stage "tests under AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DKELMOR_SANITIZE=address
# Leaks are looked for in our code; the Qt and font libraries keep caches to the end.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan -LE 'install|slow'

stage "threaded tests under ThreadSanitizer"
scripts/build.sh build-tsan -DKELMOR_SANITIZE=thread -DKELMOR_WITH_QT=OFF -- \
  net_tests popup_tests module_tests server_tests server_program_tests Kelmor
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_tests build-tsan -L threads

stage "fuzz targets, a few seconds each"
scripts/fuzz.sh 5
