#!/usr/bin/env bash
# Kelmor.dll under Wine logging on over TLS with the system's own TLS (Wine's
# SChannel): a kelmor-server with a certificate of a CA made here, Kelmor.ini with
# Fingerprint= or CA=, and the server refused with its message (and nothing sent)
# for a wrong fingerprint, another CA, another host name, an expired certificate;
# a plain log-on on the TLS port says why it failed. Part of the Windows stage: run
# from the repository root with the stage's Wine prefix and display in the
# environment.
#   frame/tests/foreign-host-tls.sh WORK-FOLDER
set -euo pipefail
work=$1/tls
mkdir -p "$work"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# A company CA, the server's certificate from it (for 127.0.0.1 only), the same
# key's certificate expired, and a second CA that signed nothing here.
certificate() { # NAME SUBJECT-ALT-NAME DAYS: NAME.pem from NAME.csr, signed by ca
  printf 'subjectAltName=%s\n' "$2" >"$work/$1.ext"
  openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
    -days "$3" -extfile "$work/$1.ext" -out "$work/$1.pem" 2>/dev/null
}
for ca in ca other-ca; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/$ca.key" -out "$work/$ca.pem" -days 30 \
    -subj "/CN=Kelmor test $ca" 2>/dev/null
done
openssl req -newkey rsa:2048 -nodes -keyout "$work/server.key" -out "$work/server.csr" -subj /CN=127.0.0.1 2>/dev/null
certificate server IP:127.0.0.1 30
certificate expired IP:127.0.0.1 -1 # valid until yesterday

start() { # NAME CERT: a TLS demo server; sets port
  build/bin/kelmor-server --listen 127.0.0.1:0 --database "$work/$1.db" --demo --tls-cert "$work/$2.pem" \
    --tls-key "$work/server.key" >"$work/$1.log" 2>&1 &
  pids+=($!)
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/^kelmor-server: listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/$1.log" | head -1)
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the TLS kelmor-server $1 did not start" >&2
  cat "$work/$1.log" >&2
  exit 1
}
start tls server
tls_port=$port
start expired expired
expired_port=$port
fingerprint=$(build/bin/kelmor-server --tls-cert "$work/server.pem" --print-fingerprint)
ca=$(timeout 30 winepath -w "$work/ca.pem" 2>/dev/null)
other_ca=$(timeout 30 winepath -w "$work/other-ca.pem" 2>/dev/null)

logon() { # INI-LINES...: the host logs on with Kelmor.ini's [Server] as given, opens 25001
  { printf '[Server]\r\n'; printf '%s\r\n' "$@"; } >build-win32/bin/Kelmor.ini
  (cd build-win32/bin && timeout 120 wine kelmor-host.exe --logon demo demo --cell Q1 1 25001 2>&1 | tr -d '\r')
}
expect() { # WHAT OUTPUT LINE...: each line must be in the output
  local what=$1 out=$2
  shift 2
  echo "$out"
  for line in "$@"; do
    grep -qxF -- "$line" <<<"$out" || { echo "FAIL: $what: no line \"$line\"" >&2; exit 1; }
  done
}
logons() { grep -c 'log-on demo accepted' "$work/$1.log" || true; }

echo "-- over TLS with the pinned fingerprint and with the company CA"
expect "the pinned fingerprint" "$(logon "Address=127.0.0.1:$tls_port" "Fingerprint=$fingerprint")" \
  "cell: 企业财产险成数合约" "25001 -> 2"
expect "the company CA" "$(logon "Address=127.0.0.1:$tls_port" "CA=$ca")" "cell: 企业财产险成数合约" "25001 -> 2"
grep -q '127\.0\.0\.1:[0-9]* connection opened (TLS)' "$work/tls.log" ||
  { echo "FAIL: the server saw no TLS connection" >&2; cat "$work/tls.log" >&2; exit 1; }

echo "-- servers that do not verify are refused with their reason; nothing is sent to them"
before=$(logons tls)
refused="log-on refused: 应用服务器 127.0.0.1:$tls_port 的证书未通过验证，未发送任何数据"
wrong=${fingerprint/#??/00}
expect "a wrong fingerprint" "$(logon "Address=127.0.0.1:$tls_port" "Fingerprint=$wrong")" \
  "$refused：证书指纹 ${fingerprint:0:11}…${fingerprint: -8} 与配置的指纹 ${wrong:0:11}…${wrong: -8} 不符 (all of it shows)" \
  "25001 -> 0"
expect "another CA" "$(logon "Address=127.0.0.1:$tls_port" "CA=$other_ca")" \
  "$refused：证书不是由 CA 证书文件 $other_ca 中的机构签发的 (all of it shows)" "25001 -> 0"
expect "another host name" "$(logon "Address=localhost:$tls_port" "CA=$ca")" \
  "log-on refused: 应用服务器 localhost:$tls_port 的证书未通过验证，未发送任何数据：证书不是签发给 localhost 的 (all of it shows)" \
  "25001 -> 0"
out=$(logon "Address=127.0.0.1:$expired_port" "CA=$ca")
echo "$out"
grep -q "^log-on refused: 应用服务器 127\.0\.0\.1:$expired_port 的证书未通过验证，未发送任何数据：证书已过期（有效期至 .*） (all of it shows)$" \
  <<<"$out" || { echo "FAIL: the expired certificate's message" >&2; exit 1; }
[ "$(logons tls)" = "$before" ] && [ "$(logons expired)" = 0 ] ||
  { echo "FAIL: a log-on reached a server that did not verify" >&2; exit 1; }

echo "-- a plain log-on on the TLS port says the port may take encrypted connections only"
out=$(logon "Address=127.0.0.1:$tls_port")
echo "$out"
grep -q "^log-on refused: .*127\.0\.0\.1:$tls_port 可能只接受加密连接" <<<"$out" ||
  { echo "FAIL: the plain log-on on the TLS port did not say why" >&2; exit 1; }
rm -f build-win32/bin/Kelmor.ini
echo "ok: Kelmor.dll logged on over the system's TLS and refused the servers that did not verify"
