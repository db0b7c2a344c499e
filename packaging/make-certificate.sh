#!/bin/sh
# Makes the server's TLS key and a self-signed certificate when they are missing,
# and prints the certificate's SHA-256 fingerprint (the one clients pin).
#   make-certificate CERT KEY [USER]
# The key is made private (0600) to USER (the service's user) when given. Files that
# exist are kept as they are: a company CA's certificate put there stays.
set -eu
cert=$1
key=$2
owner=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -e "$cert" ] || [ ! -e "$key" ]; then
    [ -e "$cert" ] && mv "$cert" "$cert.orphaned"
    [ -e "$key" ] && mv "$key" "$key.orphaned"
    mkdir -p "$(dirname "$cert")" "$(dirname "$key")"
    name=$(hostname -f 2>/dev/null || hostname)
    short=$(hostname -s 2>/dev/null || hostname)
    names="DNS:$name"
    [ "$short" != "$name" ] && names="$names,DNS:$short"
    names="$names,DNS:localhost,IP:127.0.0.1"
    # The key is never readable by anyone else, not even for a moment.
    (umask 077 && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 3650 \
        -subj "/CN=$name" -addext "subjectAltName=$names" -keyout "$key" -out "$cert" 2>/dev/null) || {
        echo "make-certificate: openssl could not make the certificate" >&2
        exit 1
    }
    chmod 0600 "$key"
    chmod 0644 "$cert"
    [ -n "$owner" ] && chown "$owner:$owner" "$key"
    echo "kelmor-server: made a self-signed TLS certificate for $name: $cert"
fi

server=$here/../../bin/kelmor-server
if [ -x "$server" ]; then
    fingerprint=$("$server" --tls-cert "$cert" --print-fingerprint)
else
    fingerprint=$(openssl x509 -in "$cert" -noout -fingerprint -sha256 | sed 's/^.*=//')
fi
echo "kelmor-server: TLS certificate fingerprint (SHA-256): $fingerprint"
