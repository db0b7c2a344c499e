#!/usr/bin/env bash
# Sets up, builds and runs every test. The SQL tests also run against a throw-away
# PostgreSQL cluster on loopback that this script starts and removes again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
scripts/build.sh

pg_dir=$(mktemp -d /tmp/kelmor-pg.XXXXXX)
trap '"$root/scripts/pg-throwaway.sh" stop "$pg_dir" || true' EXIT
if conn=$(scripts/pg-throwaway.sh start "$pg_dir"); then
  export KELMOR_PG_CONN="$conn"
else
  echo "WARNING: the throw-away PostgreSQL cluster did not start; its tests are skipped" >&2
fi

cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600
