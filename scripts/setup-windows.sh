#!/usr/bin/env bash
# Installs what the Windows build and its tests need on Debian 12, when any of it is
# missing: the 32-bit MinGW-w64 tool chain with POSIX threads, Wine with its 32-bit
# part and its fonts (the close box is drawn from one) with a CJK font, a virtual X
# server for the windows it draws (and xprop, which gives it a task bar's free area),
# and the 32-bit ODBC driver
# manager with the SQLite and PostgreSQL drivers (Wine's odbc32 hands its calls to
# the system's unixODBC), and the 32-bit GnuTLS that Wine's secur32 (the system TLS
# the DLL connects with) is built on. Needs root (apt).
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 fonts-wine fonts-noto-cjk xvfb xauth x11-apps x11-utils imagemagick
  libodbc2:i386 libsqliteodbc:i386 odbc-postgresql:i386 # the code-list database (plays, Kelmor.ini) through Wine's ODBC
  libgnutls30:i386 # TLS to the application server: Wine's SChannel (secur32) loads it
  openssl # makes the certificates of the TLS log-on tests
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
