#!/usr/bin/env bash
# make-test-certificates.sh FOLDER: the TLS tests' certificates, made as they run so that no key sits in the
# tree. ca.pem is the test authority and stranger.pem one that no test trusts; then each server's .crt and .key:
# trusted (localhost and 127.0.0.1: Wine matches no address in a certificate, curl no name for an address) and
# another (update.example), both by the authority; private (as trusted) and misnamed (update.example), by the
# stranger.
set -euo pipefail
cd "$1"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }
authority() { # FILE NAME
    key "$1.key"
    openssl req -x509 -new -key "$1.key" -subj "/CN=$2" -days 2 -out "$1.pem" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
}
serial=100
server() { # FILE AUTHORITY NAME [ADDRESS]
    key "$1.key"
    serial=$((serial + 1))
    openssl req -new -key "$1.key" -subj "/CN=$3" |
        openssl x509 -req -CA "$2.pem" -CAkey "$2.key" -set_serial "$serial" -days 1 -out "$1.crt" 2>/dev/null \
            -extfile <(printf 'subjectAltName=DNS:%s%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
                "$3" "${4:+,IP:$4}")
}
authority ca "Zelto Test Authority"
authority stranger "Stranger Authority"
server trusted ca localhost 127.0.0.1
server another ca update.example
server private stranger localhost 127.0.0.1
server misnamed stranger update.example
