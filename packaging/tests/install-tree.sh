#!/usr/bin/env bash
# The install tree runs: installs the build into a fresh prefix, moves it elsewhere,
# makes the TLS key and certificate as the package does, starts the installed server
# from a settings file on a free port with them, adds a user with the same settings,
# and plays the installed client as that user over TLS (the fingerprint pinned) with
# no display and no LD_LIBRARY_PATH: it adds a treaty code; a plain client is turned
# away; then backs the running server's store up and reads the code back from the copy.
#   install-tree.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/kelmor-install-test.XXXXXX)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out "$work"/*.err; do [ -s "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done
  exit 1
}
trap 'fail "line $LINENO: a command failed"' ERR
unset LD_LIBRARY_PATH
export HOME=$work/home XDG_DATA_HOME=$work/home/data QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"

cmake --install "$build" --prefix "$work/first" >"$work/install.out" || fail "cmake --install"
for f in bin/kelmor bin/kelmor-server lib/kelmor-server/make-certificate lib/kelmor/libKelmor.so \
         lib/kelmor/libkelmor_tls.so lib/kelmor/libkelmor_qt_print.so \
         lib/kelmor-server/libkelmor_server.so lib/kelmor-server/libkelmor_tls.so \
         share/applications/kelmor.desktop share/icons/hicolor/scalable/apps/kelmor.svg \
         lib/systemd/system/kelmor-server.service etc/kelmor-server/kelmor-server.conf; do
  [ -e "$work/first/$f" ] || fail "the install lacks $f"
done
unit=$work/first/lib/systemd/system/kelmor-server.service
grep -qx "ExecStart=$work/first/bin/kelmor-server --config $work/first/etc/kelmor-server/kelmor-server.conf" "$unit" ||
  fail "the unit does not start the installed program with the installed settings: $(grep ExecStart "$unit")"
for f in "$work"/first/bin/* "$work"/first/lib/kelmor*/*.so; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then fail "$f looks into the build tree"; fi
done

# Everything is found relative to the programs: the tree works wherever it lies.
mv "$work/first" "$work/prefix"
prefix=$work/prefix
"$prefix/bin/kelmor-server" --config "$prefix/etc/kelmor-server/kelmor-server.conf" --help >/dev/null ||
  fail "the installed settings are refused"

# The key and certificate as the package's postinst makes them; made once, then kept.
"$prefix/lib/kelmor-server/make-certificate" "$work/tls/server.crt" "$work/tls/server.key" >"$work/cert.out" ||
  fail "make-certificate"
[ "$(stat -c %a "$work/tls/server.key")" = 600 ] || fail "the key is not 0600: $(stat -c %a "$work/tls/server.key")"
fingerprint=$(sed -n 's/^kelmor-server: TLS certificate fingerprint (SHA-256): //p' "$work/cert.out")
echo "$fingerprint" | grep -qE '^([0-9A-F]{2}:){31}[0-9A-F]{2}$' || fail "no fingerprint printed: $(cat "$work/cert.out")"
"$prefix/lib/kelmor-server/make-certificate" "$work/tls/server.crt" "$work/tls/server.key" >"$work/cert2.out"
grep -q "made a self-signed" "$work/cert2.out" && fail "make-certificate replaced a certificate that was there"
grep -qF "$fingerprint" "$work/cert2.out" || fail "the fingerprint changed"

cat >"$work/server.conf" <<CONF
# the test's own store on a free port, over TLS
listen = 127.0.0.1:0
database = $work/store.db
tls-cert = $work/tls/server.crt
tls-key = $work/tls/server.key
demo
CONF
[ "$("$prefix/bin/kelmor-server" --config "$work/server.conf" --print-fingerprint)" = "$fingerprint" ] ||
  fail "--print-fingerprint with the settings file does not print the certificate's fingerprint"
: >"$work/server.out"  # before the server starts, so the wait below can read it at once
"$prefix/bin/kelmor-server" --config "$work/server.conf" >>"$work/server.out" 2>"$work/server.err" &
server_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^kelmor-server: listening on .*:\([0-9]*\)$/\1/p' "$work/server.out")
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || fail "the installed server did not start"
  sleep 0.1
done
[ -n "$port" ] || fail "the installed server did not say its port"

# The administrator adds a user with the same settings file: the task runs and exits,
# though the file names a listen address, while the server goes on.
printf 'secret\n' | timeout 30 "$prefix/bin/kelmor-server" --config "$work/server.conf" --set-user tester \
  --name 测试 2>"$work/setuser.err" || fail "--set-user with the settings file"

printf 'open 25001\nshow\nclick 返回\n' >"$work/show.play"
cat >"$work/add.play" <<'PLAY'
open 25001
click 新增
type 代码 zt
type 中文名称 "安装 测试"
pick 类型 A
click 确定
click 返回
PLAY
"$prefix/bin/kelmor" --server "127.0.0.1:$port" --server-fingerprint "$fingerprint" --database "$work/store.db" \
  --user tester --password secret --play "$work/add.play" >"$work/play.out" 2>"$work/play.err" ||
  fail "the installed client's play over TLS"
grep -q '^open "合约代码设置\[检索\]"' "$work/play.out" || fail "the client did not open the treaty codes"
# The generated certificate names this machine and localhost: it verifies as its own CA too.
"$prefix/bin/kelmor" --server "localhost:$port" --server-ca "$work/tls/server.crt" --database "$work/store.db" \
  --user tester --password secret --play "$work/show.play" >"$work/ca.out" 2>"$work/ca.err" ||
  fail "the client checking the generated certificate as its CA"
if "$prefix/bin/kelmor" --server "127.0.0.1:$port" --database "$work/store.db" --user tester --password secret \
  --play "$work/show.play" >"$work/plain.out" 2>"$work/plain.err"; then fail "a plain client was served"; fi
grep -q '可能只接受加密连接' "$work/plain.err" || fail "the plain client was not told why: $(cat "$work/plain.err")"

"$prefix/bin/kelmor-server" --database "$work/store.db" --backup "$work/copy.db" 2>"$work/backup.err" ||
  fail "the backup of the running server"
kill -0 "$server_pid" || fail "the server stopped during the backup"

# Who changed what: the code the client added, by the user who added it.
"$prefix/bin/kelmor-server" --database "$work/store.db" --audit >"$work/audit.out" 2>"$work/audit.err" ||
  fail "the audit of the running server: $(cat "$work/audit.err")"
grep -qE '  tester  181  .*ZT' "$work/audit.out" || fail "the audit lacks the added code: $(cat "$work/audit.out")"

"$prefix/bin/kelmor" --database "$work/copy.db" --play "$work/show.play" >"$work/copy.out" 2>"$work/copy.err" ||
  fail "the client on the copy"
grep -q 'ZT | 安装 测试 |' "$work/copy.out" || fail "the copy lacks the code added through the server"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
server_pid=
grep -qE '^[0-9T:.+-]+ INFO  127\.0\.0\.1:[0-9]+ log-on tester accepted$' "$work/server.err" ||
  fail "the server's log lacks the log-on"
grep -q "listening on 127.0.0.1:$port (TLS" "$work/server.err" || fail "the server's log does not say it serves TLS"
grep -q "connection opened (plain)" "$work/server.err" && fail "a connection was served in clear"
grep -qE ' INFO  stopping$' "$work/server.err" || fail "the server's log lacks its stop"
echo "install tree: ok"
