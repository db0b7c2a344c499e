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
  ! command -v Xvfb >/dev/null || ! command -v xprop >/dev/null; then
  echo "SKIPPED: the Windows stage needs MinGW-w64, Wine and Xvfb; install them with scripts/setup-windows.sh"
  exit 0
fi

scripts/build-windows.sh build-win32 -- Kelmor text_tests win32_tests win32_play_tests kelmor-host kelmor-play \
  foreign_host_tests
# The application server the foreign host talks to, and the Linux program whose
# transcripts the native plays are held to.
[ -x build/bin/kelmor-server ] && [ -x build/bin/kelmor ] || scripts/build.sh build -- kelmor-server kelmor

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kelmor-wine.XXXXXX)
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
server_pid=""
play_server=""
work=$(mktemp -d /tmp/kelmor-windows.XXXXXX)
cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "$play_server" ] && kill "$play_server" 2>/dev/null || true
  rm -f "$root/build-win32/bin/Kelmor.ini"
  rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT

# A display of our own: the first free number from 90 on. A laptop's screen, 1366x768,
# with a task bar's 40 pixels taken (the free area Wine reads from the root window,
# kept while no program is connected): every native dialog must fit what is left.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
free_area() { # WIDTH HEIGHT: the screen's free area from now on, once Wine sees it
  xprop -root -format _NET_WORKAREA 32c -set _NET_WORKAREA "0,0,$1,$2"
  [ -e build-win32/bin/kelmor-play.exe ] && [ -d "$WINEPREFIX/drive_c" ] || return 0
  # Wine reads it when its server starts: a new one for the prefix.
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w >/dev/null 2>&1 || true
  wineserver -p 600 </dev/null >/dev/null 2>&1
  for _ in $(seq 20); do
    [ "$(cd build-win32/bin && timeout 30 wine kelmor-play.exe --free-area 2>/dev/null | tr -d '\r')" = "free area $1x$2" ] && return 0
    sleep 0.5
  done
  echo "FAIL: Wine does not see the free area $1x$2" >&2
  exit 1
}
free_area 1366 728

echo "-- preparing the Wine prefix $WINEPREFIX"
# One server for the prefix's set-up and every test program, kept for ten minutes
# after the last one ends (each would otherwise start its own); its output away from
# our pipes, which it would hold open.
wineserver -p 600 </dev/null >/dev/null 2>&1
if ! timeout 300 wineboot -i </dev/null >/dev/null 2>&1; then
  echo "FAIL: wineboot did not finish within 300 s" >&2
  exit 1
fi

# Windows draw their own frames (there is no window manager). Wine's own Marlett
# (fonts-wine) draws the close box, which without it shows as "r"; the frames' Tahoma
# and the dialogs' SimSun are the system's CJK font, so that Chinese captions show.
# Wine writes its font links again whenever the code page changes (and drops a
# link of ours to the CJK font then); the replacements it leaves alone. The stage
# makes Wine believe the code page changed, so that every run passes through that.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
for face in Tahoma "Tahoma Bold" SimSun NSimSun 宋体; do
  timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
done
timeout 60 wine reg add 'HKCU\Software\Wine\Fonts' /v Codepages /d '936,936' /f >/dev/null 2>&1

(cd build-win32 && ctest --output-on-failure --timeout 120 -R "^(windows\.|Gbk)")

echo "-- a foreign host opens the treaty codes against kelmor-server on loopback"
build/bin/kelmor-server --listen 127.0.0.1:0 --database "$work/demo.db" --demo >"$work/server.log" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log" | head -1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "FAIL: kelmor-server did not start" >&2; cat "$work/server.log" >&2; exit 1; }
printf '[Server]\r\nAddress=127.0.0.1:%s\r\n' "$port" >build-win32/bin/Kelmor.ini
picture=$(cd build-win32/bin && timeout 30 winepath -w "$work/screen-25001.bmp" 2>/dev/null)
out=$(cd build-win32/bin && timeout 120 wine kelmor-host.exe --logon demo demo --picture "$picture" 25001 2>&1 | tr -d '\r')
echo "$out"
if ! grep -qx "picture taken" <<<"$out" || ! grep -qx "25001 -> 2" <<<"$out"; then
  echo "FAIL: the treaty code screen did not open and close as the person did" >&2
  exit 1
fi
echo "-- the README tour's treaty codes played on Windows against the same server"
script=$(cd build-win32/bin && timeout 30 winepath -w "$root/docs/tour/treaty-codes.play" 2>/dev/null)
if ! played=$(cd build-win32/bin && timeout 120 wine kelmor-play.exe "127.0.0.1:$port" demo demo "$script" 2>&1 | tr -d '\r'); then
  echo "$played"
  echo "FAIL: the play did not run to its end" >&2
  exit 1
fi
echo "$played" | grep -E '^(open|close|message) '
if ! grep -q '^message "处理成功!"' <<<"$played" || ! grep -q '^close "合约代码设置\[检索\]" Cancel' <<<"$played"; then
  echo "FAIL: the play's transcript lacks its last steps" >&2
  exit 1
fi
# The tour's scripts, the list screens worked by keyboard (win32/tests/plays) and a
# visit to every screen of the screen table (Escape or the close box), played on the native driver's windows, each on a fresh server and
# held line by line to the transcript `kelmor --play` prints for the same script on
# Linux against a server of its own. The code-list database goes through Wine's
# ODBC to the 32-bit SQLite driver.
echo "-- the tour and every screen played on the native windows, against the Linux transcripts"
start_server() { # NAME: a fresh demo server; sets port and the pid to stop
  build/bin/kelmor-server --listen 127.0.0.1:0 --database "$work/$1.db" --demo >"$work/$1.log" 2>&1 &
  play_server=$!
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/$1.log" | head -1)
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "FAIL: kelmor-server for $1 did not start" >&2
  cat "$work/$1.log" >&2
  exit 1
}
screens="$work/screens.play"
n=0
for number in $(sed -n 's/^ *{\([0-9][0-9]*\), "CS.*/\1/p' frame/ScreenTable.cpp); do
  echo "open $number"
  [ "$number" = 13 ] && continue # the count of waiting items opens nothing
  if [ $((n++ % 2)) = 0 ]; then echo "key Escape"; else echo "key Close"; fi
done >"$screens"
[ "$n" -ge 10 ] || { echo "FAIL: the screen table gave $n screens" >&2; exit 1; }
if [ ! -e /usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so ]; then
  echo "SKIPPED: the native plays need the 32-bit SQLite ODBC driver; scripts/setup-windows.sh installs it"
else
  for script in docs/tour/*.play win32/tests/plays/*.play "$screens"; do
    name=$(basename "$script" .play)
    start_server "$name-linux"
    if ! timeout 60 build/bin/kelmor --server "127.0.0.1:$port" --database "$work/$name-linux.db" --user demo \
      --password demo --play "$script" >"$work/$name.linux.txt" 2>"$work/$name.linux.err"; then
      echo "FAIL: $name: kelmor --play on Linux: $(cat "$work/$name.linux.err")" >&2
      exit 1
    fi
    kill "$play_server" 2>/dev/null || true
    start_server "$name-win"
    case $script in /*) ;; *) script="$root/$script" ;; esac
    winscript=$(timeout 30 winepath -w "$script" 2>/dev/null)
    rc=0
    (cd build-win32/bin && timeout 120 wine kelmor-play.exe --native --database \
      "DRIVER={SQLite3};DATABASE=$work/$name-win.db" "127.0.0.1:$port" demo demo "$winscript" \
      >"$work/$name.win.txt" 2>"$work/$name.win.err" </dev/null) || rc=$?
    kill "$play_server" 2>/dev/null || true
    tr -d '\r' <"$work/$name.win.txt" >"$work/$name.native.txt"
    if [ "$rc" != 0 ]; then
      cat "$work/$name.native.txt"
      echo "FAIL: $name on the native windows (exit $rc): $(tr -d '\r' <"$work/$name.win.err")" >&2
      exit 1
    fi
    if ! diff -u "$work/$name.linux.txt" "$work/$name.native.txt" >"$work/$name.diff"; then
      cat "$work/$name.diff"
      echo "FAIL: $name: the native transcript differs from Linux's (above: - Linux, + native)" >&2
      exit 1
    fi
    echo "ok: $name, $(grep -c '^open ' "$work/$name.native.txt") dialogs, $(wc -l <"$work/$name.native.txt") lines as on Linux"
  done
  # A smaller screen, 1280x720 and no task bar: every screen and every form they open
  # again, the large ones scrolling, their own buttons in view; and the treaty data
  # journey by keyboard, Tab bringing each control it reaches into view.
  free_area 1280 720
  for script in win32/tests/plays/every-form.play win32/tests/plays/keyboard-treaty-data.play "$screens"; do
    name=$(basename "$script" .play)
    start_server "$name-small"
    case $script in /*) ;; *) script="$root/$script" ;; esac
    winscript=$(timeout 30 winepath -w "$script" 2>/dev/null)
    rc=0
    (cd build-win32/bin && timeout 120 wine kelmor-play.exe --native --database \
      "DRIVER={SQLite3};DATABASE=$work/$name-small.db" "127.0.0.1:$port" demo demo "$winscript" \
      >"$work/$name.small.txt" 2>"$work/$name.small.err" </dev/null) || rc=$?
    kill "$play_server" 2>/dev/null || true
    if [ "$rc" != 0 ] || ! diff -u "$work/$name.linux.txt" <(tr -d '\r' <"$work/$name.small.txt") >"$work/$name.diff"; then
      cat "$work/$name.diff"
      echo "FAIL: $name on a 1280x720 screen (exit $rc): $(tr -d '\r' <"$work/$name.small.err")" >&2
      exit 1
    fi
    echo "ok: $name on a 1280x720 screen as on Linux"
  done
  free_area 1366 728
fi
if [ -n "${KELMOR_WINDOWS_PICTURE:-}" ]; then
  convert "$work/screen-25001.bmp" "$KELMOR_WINDOWS_PICTURE"
  echo "picture saved as $KELMOR_WINDOWS_PICTURE"
fi
echo "ok: the foreign host logged on, opened 25001 and closed it"

echo "-- a log-on the person cancels opens nothing; the next screen asks again, a count does not"
# The first server of the stage is still up.
first_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log" | head -1)
printf '[Server]\r\nAddress=127.0.0.1:%s\r\n' "$first_port" >build-win32/bin/Kelmor.ini
asked=$(cd build-win32/bin && timeout 120 wine kelmor-host.exe --cancel-logon 25001 13 --logon demo demo \
  --cell Q1 1 25001 2>&1 | tr -d '\r')
echo "$asked"
if [ "$asked" != "$(printf 'log-on cancelled\n25001 -> 0\n13 -> 0\ncell: 企业财产险成数合约\n25001 -> 2')" ]; then
  echo "FAIL: after a cancelled log-on the foreign host did not go as the person did" >&2
  exit 1
fi

echo "-- a log-on to a server that is not there says why, named by the system and shown whole"
printf '[Server]\r\nAddress=127.0.0.1:1\r\n' >build-win32/bin/Kelmor.ini
refused=$(cd build-win32/bin && timeout 120 wine kelmor-host.exe --logon demo demo 25001 2>&1 | tr -d '\r')
echo "$refused"
if ! grep -q '^log-on refused: 无法连接到应用服务器 127\.0\.0\.1:1：.* (all of it shows)$' <<<"$refused" ||
  grep -qi 'unknown error' <<<"$refused" || ! grep -qx "25001 -> 0" <<<"$refused"; then
  echo "FAIL: the refused log-on did not say why in full" >&2
  exit 1
fi

echo "-- Kelmor.dll logs on over the system's TLS and refuses servers that do not verify"
frame/tests/foreign-host-tls.sh "$work"

echo "-- Kelmor.dll against a kelmor-server restarted while a form is open"
if [ ! -e /usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so ]; then
  echo "SKIPPED: the forms' code lists need the 32-bit SQLite ODBC driver; scripts/setup-windows.sh installs it"
else
  frame/tests/foreign-host-restart.sh "$work"
fi

echo "-- the foreign host reads a code list from the database Kelmor.ini names (ODBC)"
# Wine's odbc32 hands the calls to the system's unixODBC and its 32-bit drivers, so
# the connection string names the driver and the file as Linux knows them.
if [ ! -e /usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so ]; then
  echo "SKIPPED: the code-list database needs the 32-bit SQLite ODBC driver; scripts/setup-windows.sh installs it"
  exit 0
fi
printf '[Server]\r\nAddress=127.0.0.1:%s\r\n[Database]\r\nConnection=DRIVER={SQLite3};Database=%s;\r\n' \
  "$first_port" "$work/demo.db" >build-win32/bin/Kelmor.ini
cell=$(cd build-win32/bin && timeout 120 wine kelmor-host.exe --logon demo demo --cell 04 13 25005 2>&1 | tr -d '\r')
echo "$cell"
# Column 13 of the reinsurer list is the country, a code column: the code list turns
# reinsurer 04's "HK" into its name.
if ! grep -qx "cell: 中国香港" <<<"$cell" || ! grep -qx "25005 -> 2" <<<"$cell"; then
  echo "FAIL: the reinsurer list did not show the country's name from the code-list database" >&2
  exit 1
fi
echo "ok: the code list came from the database over ODBC under Wine"
