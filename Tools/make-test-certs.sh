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
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n' > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
    -days 2 -extfile server.ext 2>/dev/null
rm -f server.csr server.ext ca.srl
