#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need,
# when any is missing. Needs root (apt).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql postgresql
  libcrypt-dev libsqlite3-dev libpq-dev libssl-dev openssl
  file desktop-file-utils
  clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
