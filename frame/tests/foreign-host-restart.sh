#!/usr/bin/env bash
# Kelmor.dll under Wine against a kelmor-server restarted while a form is open
# (ForeignHostRestartTest.cpp): runs the server on this side, TLS with a plain
# listener beside it, and stops or starts it whenever the test asks (a file "stop"
# or "start" in the control folder, removed once done). Part of the Windows stage: run from the repository root with the
# stage's Wine prefix and display in the environment.
#   frame/tests/foreign-host-restart.sh WORK-FOLDER
set -euo pipefail
work=$1
control="$work/restart-control"
mkdir -p "$control"
db="$work/restart.db"
pidfile="$work/restart.pid" # the server's, whichever start made it
port=""     # plain
tls_port=""
supervisor=""
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/restart.key" -out "$work/restart.pem" -days 30 \
  -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null
fingerprint=$(build/bin/kelmor-server --tls-cert "$work/restart.pem" --print-fingerprint)
cleanup() {
  [ -n "$supervisor" ] && kill "$supervisor" 2>/dev/null || true
  [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
}
trap cleanup EXIT

start() { # on the ports of the first start, if there was one; each start logs apart
  log=$(mktemp "$work/restart.XXXXXX.log")
  build/bin/kelmor-server --listen "127.0.0.1:${tls_port:-0}" --listen-plain "127.0.0.1:${port:-0}" \
    --tls-cert "$work/restart.pem" --tls-key "$work/restart.key" --database "$db" ${1:-} >"$log" 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 100); do
    grep -q "^kelmor-server: listening without TLS on 127\.0\.0\.1:${port:-}" "$log" && break
    sleep 0.1
  done
  [ -n "$port" ] || port=$(sed -n 's/^kelmor-server: listening without TLS on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
  [ -n "$tls_port" ] || tls_port=$(sed -n 's/^kelmor-server: listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
}
start --demo
[ -n "$port" ] && [ -n "$tls_port" ] || { echo "FAIL: kelmor-server for the restart did not start" >&2; cat "$log" >&2; exit 1; }

# Carries out the test's requests; an administrator's stop is SIGTERM.
serve() {
  while :; do
    if [ -e "$control/stop" ]; then
      pid=$(cat "$pidfile")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      rm -f "$control/stop"
    fi
    if [ -e "$control/start" ]; then
      start
      rm -f "$control/start"
    fi
    sleep 0.1
  done
}
serve &
supervisor=$!

wcontrol=$(timeout 30 winepath -w "$control" 2>/dev/null)
rc=0
(cd build-win32/bin && KELMOR_SERVER_CONTROL="$wcontrol" KELMOR_SERVER_PORT="$port" KELMOR_SERVER_TLS_PORT="$tls_port" \
  KELMOR_SERVER_FINGERPRINT="$fingerprint" KELMOR_SERVER_DATABASE="$db" \
  timeout 180 wine foreign_host_tests.exe 2>&1 | tr -d '\r') || rc=$?
exit $rc
