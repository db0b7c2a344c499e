#!/usr/bin/env bash
# The Debian packages hold what they should: builds them with cpack from the build
# folder, lists their contents and control data, and runs the packaged programs
# from the unpacked trees.
#   packages.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/kelmor-package-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'fail "line $LINENO: a command failed"' ERR
unset LD_LIBRARY_PATH

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
client=$(ls "$work"/out/kelmor_*.deb) && server=$(ls "$work"/out/kelmor-server_*.deb) ||
  fail "cpack did not make both packages: $(ls "$work/out")"

# contents: PATH [MODE]...
check_contents() {
  local deb=$1; shift
  dpkg-deb -c "$deb" | awk '{print $1, $6}' >"$work/list"
  for want in "$@"; do
    local path=${want% *} mode=
    [ "$path" != "$want" ] && mode=${want#* }
    grep -q " \./${path#/}$" "$work/list" || fail "$(basename "$deb") lacks $path"
    [ -z "$mode" ] || grep -q "^$mode \./${path#/}$" "$work/list" || fail "$path in $(basename "$deb") is not $mode"
  done
}
# libkelmor_tls and libkelmor_qt_print are opened when first needed: nothing links them,
# so only this list notices one left out.
check_contents "$client" "usr/bin/kelmor -rwxr-xr-x" usr/lib/kelmor/libKelmor.so usr/lib/kelmor/libkelmor_qt.so \
  usr/lib/kelmor/libkelmor_win.so usr/lib/kelmor/libkelmor_server.so usr/lib/kelmor/libkelmor_tls.so \
  usr/lib/kelmor/libkelmor_qt_print.so usr/share/applications/kelmor.desktop \
  usr/share/icons/hicolor/scalable/apps/kelmor.svg
check_contents "$server" "usr/bin/kelmor-server -rwxr-xr-x" usr/lib/kelmor-server/libkelmor_server.so \
  usr/lib/kelmor-server/libkelmor_tls.so \
  usr/lib/systemd/system/kelmor-server.service "etc/kelmor-server/kelmor-server.conf -rw-r-----" \
  "usr/lib/kelmor-server/make-certificate -rwxr-xr-x"
dpkg-deb -c "$server" | grep -qE 'kelmor/libKelmor|bin/kelmor$|applications' && fail "the server package holds client files"

depends() { dpkg-deb -f "$1" Depends; }
for d in libqt6widgets6 libsqliteodbc odbc-postgresql libodbc2 libpq5 libssl3; do
  depends "$client" | grep -q "$d" || fail "the client does not depend on $d: $(depends "$client")"
done
for d in adduser libsqlite3-0 libpq5 libcrypt1 libssl3 openssl; do
  depends "$server" | grep -q "$d" || fail "the server does not depend on $d: $(depends "$server")"
done
depends "$server" | grep -q qt6 && fail "the server depends on Qt: $(depends "$server")"

dpkg-deb -e "$server" "$work/control"
grep -qx /etc/kelmor-server/kelmor-server.conf "$work/control/conffiles" || fail "the settings are no conffile"
for s in postinst prerm postrm; do
  [ -x "$work/control/$s" ] || fail "no $s"
  sh -n "$work/control/$s" || fail "$s does not parse"
done
grep -q 'adduser --system' "$work/control/postinst" || fail "postinst makes no system user"
grep -q '/usr/lib/kelmor-server/make-certificate "$cert" "$key" kelmor-server' "$work/control/postinst" ||
  fail "postinst makes no TLS certificate"

dpkg-deb -x "$server" "$work/server"
unit=$work/server/usr/lib/systemd/system/kelmor-server.service
for line in "User=kelmor-server" "ExecStart=/usr/bin/kelmor-server --config /etc/kelmor-server/kelmor-server.conf" \
            "StateDirectory=kelmor-server" "StateDirectoryMode=0700"; do
  grep -qx "$line" "$unit" || fail "the unit lacks $line"
done
# With the packaged settings the server serves TLS only.
settings=$work/server/etc/kelmor-server/kelmor-server.conf
grep -qx 'tls-cert = /etc/kelmor-server/tls/server.crt' "$settings" &&
  grep -qx 'tls-key = /etc/kelmor-server/tls/server.key' "$settings" || fail "the settings name no TLS certificate"
grep -q '^listen-plain' "$settings" && fail "the packaged settings open a plain listener"
# The packaged program runs from its tree and takes the packaged settings.
"$work/server/usr/bin/kelmor-server" --config "$work/server/etc/kelmor-server/kelmor-server.conf" --help \
  >/dev/null || fail "the packaged server or its settings"

dpkg-deb -x "$client" "$work/client"
entry=$work/client/usr/share/applications/kelmor.desktop
grep -qx 'Name=Tessan保险业务系统' "$entry" || fail "the desktop entry's name"
grep -qx 'Exec=kelmor' "$entry" && grep -qx 'Icon=kelmor' "$entry" || fail "the desktop entry's program or icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry" || fail "desktop-file-validate"; fi
"$work/client/usr/bin/kelmor" --help >/dev/null || fail "the packaged client does not start"
echo "packages: ok"
