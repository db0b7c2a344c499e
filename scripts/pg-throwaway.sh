#!/usr/bin/env bash
# A throw-away PostgreSQL 15 cluster for the tests: created in a folder of its own,
# listening on a free loopback port only, removed again by "stop".
#
#   scripts/pg-throwaway.sh start DIR   create and start a cluster in DIR (made when
#                                       missing; must be empty or one of ours) and print
#                                       its ODBC connection string ("PostgreSQL Unicode")
#   scripts/pg-throwaway.sh conn DIR    print the connection string again
#   scripts/pg-throwaway.sh stop DIR    stop the cluster and remove DIR; safe to repeat,
#                                       also after a failed start or for a missing DIR
#
# Typical use:
#   dir=$(mktemp -d); trap 'scripts/pg-throwaway.sh stop "$dir"' EXIT
#   export KELMOR_PG_CONN=$(scripts/pg-throwaway.sh start "$dir")
#
# The login role "kelmor" may create databases; the database "kelmor" belongs to it.
# PostgreSQL refuses to run as root: when started by root the cluster runs as the
# user "postgres" (or "nobody" when that does not exist). Messages go to stderr;
# stdout carries only the connection string.
set -euo pipefail

PG_VERSION=15
PG_BIN=${KELMOR_PG_BIN:-/usr/lib/postgresql/$PG_VERSION/bin}
MARK=.kelmor-pg-throwaway

say() { echo "pg-throwaway: $*" >&2; }
die() { say "$*"; exit 1; }

usage() {
  sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

# The user the cluster runs as, and how to run a command as that user.
run_user() {
  if [ "$(id -u)" -ne 0 ]; then id -un
  elif getent passwd postgres >/dev/null; then echo postgres
  else echo nobody
  fi
}

as_user() {
  local user=$1; shift
  if [ "$(id -un)" = "$user" ]; then
    "$@"
  elif command -v runuser >/dev/null; then
    runuser -u "$user" -- "$@"
  else
    setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups -- "$@"
  fi
}

# A loopback port nobody listens on (the start retries when it was taken meanwhile).
free_port() {
  local port tries=0
  while [ $tries -lt 200 ]; do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
    tries=$((tries + 1))
  done
  return 1
}

conn_string() {
  local dir=$1
  [ -f "$dir/port" ] && [ -f "$dir/password" ] || return 1
  printf 'DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=%s;Database=kelmor;Uid=kelmor;Pwd=%s;\n' \
    "$(cat "$dir/port")" "$(cat "$dir/password")"
}

cmd_stop() {
  local dir=$1
  [ -e "$dir" ] || return 0
  [ -d "$dir" ] || die "$dir is not a folder"
  if [ ! -e "$dir/$MARK" ]; then
    # Never remove a folder we did not make; an empty one is fine to remove.
    if [ -z "$(ls -A "$dir")" ]; then rmdir "$dir"; return 0; fi
    die "$dir does not hold a throw-away cluster; left alone"
  fi
  local user
  user=$(cat "$dir/user" 2>/dev/null || run_user)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_user "$user" "$PG_BIN/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
    # A postmaster that did not stop: end it by its own pid, if it is still ours.
    local pid
    pid=$(head -n1 "$dir/data/postmaster.pid" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
       grep -q "$dir/data" "/proc/$pid/cmdline" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
}

cmd_start() {
  local dir=$1
  [ -x "$PG_BIN/initdb" ] || die "PostgreSQL $PG_VERSION is not installed ($PG_BIN/initdb missing; apt-get install postgresql)"
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  if [ -e "$dir/$MARK" ]; then
    if [ -f "$dir/data/postmaster.pid" ] && conn_string "$dir" >/dev/null; then
      say "a cluster is already running in $dir"
      conn_string "$dir"
      return 0
    fi
    cmd_stop "$dir"
    mkdir -p "$dir"
  elif [ -n "$(ls -A "$dir")" ]; then
    die "$dir is not empty"
  fi
  touch "$dir/$MARK"

  local user
  user=$(run_user)
  echo "$user" >"$dir/user"
  # Any failure from here on leaves nothing running and nothing behind.
  trap 'say "start failed; cleaning up"; cmd_stop "'"$dir"'"' EXIT

  head -c 18 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' >"$dir/password"
  [ -s "$dir/password" ] || echo "kelmor$RANDOM$RANDOM" >"$dir/password"
  mkdir -p "$dir/sock"
  if [ "$(id -u)" -eq 0 ]; then
    chown -R "$user" "$dir"
    chmod 0700 "$dir"
    as_user "$user" test -w "$dir" || die "user $user cannot reach $dir; use a folder under /tmp"
  fi

  as_user "$user" "$PG_BIN/initdb" -D "$dir/data" -U kelmor_admin -E UTF8 --locale=C.UTF-8 \
    --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; false; }

  local port started=0
  for _ in 1 2 3 4 5; do
    port=$(free_port) || die "no free loopback port"
    if as_user "$user" "$PG_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
         -o "-c listen_addresses=127.0.0.1 -p $port -k $dir/sock -c fsync=off -c max_connections=200" \
         start >/dev/null 2>&1; then
      started=1
      break
    fi
    as_user "$user" "$PG_BIN/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  done
  [ $started -eq 1 ] || { tail -n 20 "$dir/server.log" >&2 || true; die "the cluster did not start"; }
  echo "$port" >"$dir/port"

  local password
  password=$(cat "$dir/password")
  as_user "$user" "$PG_BIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir/sock" -p "$port" -U kelmor_admin -d postgres \
    -c "CREATE ROLE kelmor LOGIN CREATEDB PASSWORD '$password'" \
    -c "CREATE DATABASE kelmor OWNER kelmor ENCODING 'UTF8'" >/dev/null
  trap - EXIT
  say "cluster running in $dir on 127.0.0.1:$port as user $user"
  conn_string "$dir"
}

[ $# -eq 2 ] || usage
case "$1" in
  start) cmd_start "$2" ;;
  stop) cmd_stop "$2" ;;
  conn) conn_string "$2" || die "no cluster in $2" ;;
  *) usage ;;
esac
