#!/usr/bin/env bash
# The install tree runs: installs the build into a fresh prefix, moves it elsewhere,
# starts the installed server from a settings file on a free port, adds a user with
# the same settings, and plays the installed client as that user with no display and
# no LD_LIBRARY_PATH: it adds a treaty code; then backs the running server's store up
# and reads the code back from the copy.
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
for f in bin/kelmor bin/kelmor-server lib/kelmor/libKelmor.so lib/kelmor-server/libkelmor_server.so \
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

cat >"$work/server.conf" <<CONF
# the test's own store on a free port
listen = 127.0.0.1:0
database = $work/store.db
demo
CONF
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

cat >"$work/add.play" <<'PLAY'
open 25001
click 新增
type 代码 zt
type 中文名称 "安装 测试"
pick 类型 A
click 确定
click 返回
PLAY
"$prefix/bin/kelmor" --server "127.0.0.1:$port" --database "$work/store.db" --user tester --password secret \
  --play "$work/add.play" >"$work/play.out" 2>"$work/play.err" || fail "the installed client's play"
grep -q '^open "合约代码设置\[检索\]"' "$work/play.out" || fail "the client did not open the treaty codes"

"$prefix/bin/kelmor-server" --database "$work/store.db" --backup "$work/copy.db" 2>"$work/backup.err" ||
  fail "the backup of the running server"
kill -0 "$server_pid" || fail "the server stopped during the backup"

# Who changed what: the code the client added, by the user who added it.
"$prefix/bin/kelmor-server" --database "$work/store.db" --audit >"$work/audit.out" 2>"$work/audit.err" ||
  fail "the audit of the running server: $(cat "$work/audit.err")"
grep -qE '  tester  181  .*ZT' "$work/audit.out" || fail "the audit lacks the added code: $(cat "$work/audit.out")"

printf 'open 25001\nshow\nclick 返回\n' >"$work/show.play"
"$prefix/bin/kelmor" --database "$work/copy.db" --play "$work/show.play" >"$work/copy.out" 2>"$work/copy.err" ||
  fail "the client on the copy"
grep -q 'ZT | 安装 测试 |' "$work/copy.out" || fail "the copy lacks the code added through the server"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
server_pid=
grep -qE '^[0-9T:.+-]+ INFO  127\.0\.0\.1:[0-9]+ log-on tester accepted$' "$work/server.err" ||
  fail "the server's log lacks the log-on"
grep -qE ' INFO  stopping$' "$work/server.err" || fail "the server's log lacks its stop"
echo "install tree: ok"
