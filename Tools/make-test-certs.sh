#!/usr/bin/env bash
# Makes a throwaway certificate authority and a server certificate for 127.0.0.1 and
# localhost in DIR (created when missing): ca.pem, ca.key, server.pem, server.key.
# The keys are unencrypted test keys; they are valid for two days.
set -euo pipefail
dir=${1:?usage: make-test-certs.sh DIR}
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=refhost test authority" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr \
    -subj "/CN=127.0.0.1" 2>/dev/null
# The address is also named as a DNS name: Wine's certificate check compares a host given as an
# address with the DNS names only, where Windows and OpenSSL use the IP entry.
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost,DNS:127.0.0.1\nbasicConstraints=CA:FALSE\n' \
    > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
    -days 2 -extfile server.ext 2>/dev/null
rm -f server.csr server.ext ca.srl
