#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) in build-fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, makes their seed corpora from real packets, and runs
# each target for a while.
#   scripts/fuzz.sh [SECONDS [TARGET...]]   SECONDS each (default 5); targets: request frame answer gbk
# Inputs that reach new code are kept in build-fuzz/fuzz-corpus/TARGET for the next
# run; an input that breaks a target is saved as build-fuzz/crash-TARGET-* and the
# script fails. Run one long: scripts/fuzz.sh 3600 request
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(request frame answer gbk)

CC=clang CXX=clang++ scripts/build.sh build-fuzz -DKELMOR_FUZZ=ON -DKELMOR_WITH_QT=OFF -- fuzzers

for t in "${targets[@]}"; do
  corpus=build-fuzz/fuzz-corpus/$t
  log=build-fuzz/fuzz-$t.log
  mkdir -p "$corpus"
  echo "== fuzz_$t for ${seconds} s"
  if ! build-fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
      -artifact_prefix=build-fuzz/crash-"$t"- "$corpus" build-fuzz/fuzz-seeds/"$t" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$t broke: the input is saved as build-fuzz/crash-$t-*" >&2
    exit 1
  fi
  tail -n 1 "$log"
done
