#!/usr/bin/env bash
# Makes a throwaway certificate authority and a server certificate for 127.0.0.1 and
# localhost in DIR (created when missing): ca.pem, ca.key, server.pem, server.key. Beside them,
# two certificates the authority signed that a client must refuse: expired.pem/.key (for
# 127.0.0.1, expired a day ago) and othername.pem/.key (for wrong.invalid only).
# The keys are unencrypted test keys; the good ones are valid for two days.
set -euo pipefail
dir=${1:?usage: make-test-certs.sh DIR}
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=refhost test authority" 2>/dev/null
# issue NAME CN SUBJECT_ALT_NAME DAYS: a key and a certificate the authority signs.
issue() {
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" 2>/dev/null
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\n' "$3" > "$1.ext"
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" \
        -days "$4" -extfile "$1.ext" 2>/dev/null
    rm -f "$1.csr" "$1.ext"
}
# The address is also named as a DNS name: Wine's certificate check compares a host given as an
# address with the DNS names only, where Windows and OpenSSL use the IP entry.
issue server 127.0.0.1 IP:127.0.0.1,DNS:localhost,DNS:127.0.0.1 2
issue expired 127.0.0.1 IP:127.0.0.1 -1
issue othername wrong.invalid DNS:wrong.invalid 2
rm -f ca.srl
