#!/usr/bin/env bash
# with-report-service: runs a command while the loopback report service (the POSIX fixture
# program) serves a report over HTTP and over HTTPS on 127.0.0.1, then stops the services.
#
#   bash with-report-service.sh REPORTFIXTURE MAKE-CERTS REPORT WORKDIR -- COMMAND...
#
# The command finds in its environment CORVANE_TEST_HTTP_RESOURCE and
# CORVANE_TEST_HTTPS_RESOURCE (the report's addresses), CORVANE_TEST_AUTHORITY (the PEM file of
# the throwaway authority that signed the HTTPS service's certificate) and
# CORVANE_TEST_QUERY_LOG (the queries the services received, one a line), the files as Windows
# paths on Wine's drive Z:. The services also stop by themselves when left idle.
set -euo pipefail
fixture=$1 make_certs=$2 report=$3 work=$4
shift 4
[[ ${1:-} == -- ]] && shift
if [[ ! -x $fixture ]]; then
    echo "with-report-service: no report service at $fixture (build the dev preset first)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
bash "$make_certs" "$work/certs"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

pids=()
stop() { kill "${pids[@]}" 2>/dev/null || true; }
trap stop EXIT

# Starts one service in the background; its first line of output announces its port.
serve() {
    local name=$1
    shift
    "$fixture" --report "$report" --query-log "$work/queries.log" --idle 300 "$@" \
        >"$work/$name.out" 2>&1 &
    pids+=("$!")
}
# The port that service `name` announced, once it has.
port_of() {
    local line=""
    for _ in $(seq 200); do
        line=$(head -n 1 "$work/$1.out" 2>/dev/null || true)
        if [[ $line == port=* ]]; then
            printf '%s' "${line#port=}"
            return
        fi
        sleep 0.1
    done
    echo "the $1 service did not start: $(cat "$work/$1.out")" >&2
    exit 1
}
serve http
serve https --cert "$work/certs/server.pem" --key "$work/certs/server.key"
http_port=$(port_of http)
https_port=$(port_of https)

export CORVANE_TEST_HTTP_RESOURCE="http://127.0.0.1:$http_port/lotwuser/lotwreport.adi"
export CORVANE_TEST_HTTPS_RESOURCE="https://127.0.0.1:$https_port/lotwuser/lotwreport.adi"
export CORVANE_TEST_AUTHORITY=$(windows_path "$work/certs/ca.pem")
export CORVANE_TEST_QUERY_LOG=$(windows_path "$work/queries.log")
"$@"
