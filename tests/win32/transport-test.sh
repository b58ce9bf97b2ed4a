#!/usr/bin/env bash
# The Win32 transport under Wine against the loopback report service (the POSIX one): plain
# http; https whose authority the application folder's curl-ca-bundle.crt vouches for; https
# with no bundle, and with a bundle of another authority, both refused before the query (which
# carries the password) reaches the server; then the faults a server may commit, each ended with
# its cause in the user's words.
# Usage: transport-test.sh PROBE.exe REPORTFIXTURE MAKE-TEST-CERTS.sh (WINEPREFIX set).
set -euo pipefail
probe=$1 fixture=$2 makecerts=$3
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

printf 'ARRL Logbook of the World Status Report\r\n<eoh>\r\n' >"$work/report.adi"
bash "$makecerts" "$work/certs" >/dev/null
bash "$makecerts" "$work/other" >/dev/null
mkdir -p "$work/trusting" "$work/empty" "$work/foreign"
cp "$work/certs/ca.pem" "$work/trusting/curl-ca-bundle.crt"
cp "$work/other/ca.pem" "$work/foreign/curl-ca-bundle.crt"

# Starts the service (extra options: $@) and sets $service and, once it listens, $port.
start() {
    : >"$work/port"
    "$fixture" --report "$work/report.adi" --query-log "$work/queries" --idle 60 "$@" \
        >"$work/port" &
    service=$!
    for _ in $(seq 100); do
        grep -q '^port=' "$work/port" && break
        sleep 0.1
    done
    port=$(sed -n 's/^port=//p' "$work/port")
    [[ -n $port ]] || { echo "the report service did not start"; exit 1; }
}

stop() {
    kill "$service" 2>/dev/null || true
    wait "$service" 2>/dev/null || true
}

fail=0
# probe NAME ADDRESS FOLDER EXPECTED-FIRST-LINE EXPECTED-QUERIES [EXPECTED-SECOND-LINE
#       [STALL-WINDOW-SECONDS]]
probe() {
    # Wine sees the machine's root as drive Z:. The probe always prints a line. Under the
    # emulator, one of Wine's own threads now and then crashes while TLS starts and the program
    # then spins without end: such a start, one that printed nothing, and a transfer that was
    # expected and missed (TLS under the emulator can outlast the service's read timeout on a
    # busy machine) are tried again, up to three times in all.
    local folder="Z:${work//\//\\}\\$3"
    local window=(${7:+"$7"})
    for _ in 1 2 3; do
        : >"$work/queries"
        timeout -k 5 60 wine "$probe" "$2" "$folder" "${window[@]}" >"$work/out" 2>/dev/null || true
        [[ ! -s $work/out || ($4 == received && $(head -n 1 "$work/out") != received*) ]] || break
    done
    local first second queries
    first=$(head -n 1 "$work/out" | tr -d '\r')
    second=$(sed -n 2p "$work/out" | tr -d '\r')
    queries=$(cat "$work/queries")
    if [[ $first != "$4" || $queries != "$5" || (-n ${6:-} && $second != "$6") ]]; then
        echo "FAILED $1: got '$first' '$second' with queries '$queries'," \
            "expected '$4' '${6:-}' with '$5'"
        fail=1
    else
        echo "ok $1"
    fi
}

start
probe "http" "http://127.0.0.1:$port/lotwuser/lotwreport.adi?login=a%26b&password=p" empty \
    received "login=a%26b&password=p"
grep -q '<eoh>' "$work/out" || { echo "FAILED http: the body did not arrive"; fail=1; }
stop

start --cert "$work/certs/server.pem" --key "$work/certs/server.key"
address="https://127.0.0.1:$port/lotwuser/lotwreport.adi?password=secret"
# With a bundle, a HEAD request without the query proves the server first.
probe "https, bundle vouches" "$address" trusting received $'\npassword=secret'
probe "https, no bundle" "$address" empty "not received" ""
probe "https, bundle of another authority" "$address" foreign "not received" ""
stop

# fault NAME ANSWER EXPECTED-SECOND-LINE [STALL-WINDOW-SECONDS]: one fault over plain http.
fault() {
    start --answer "$2"
    probe "$1" "http://127.0.0.1:$port/lotwuser/lotwreport.adi?password=p" empty "not received" \
        "password=p" "$3" "${4:-}"
    stop
}
fault "error text" status:403 "the server answered with HTTP status 403"
fault "silent" silent "no answer from the server for 3 seconds" 3
fault "trickle" trickle "transfer stalled: fewer than 1000 bytes in 3 seconds" 3
fault "huge length" huge-length "answer larger than 512 MB"
fault "closed early" truncate "connection closed before the answer was complete"
exit $fail
