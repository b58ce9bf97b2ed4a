#!/usr/bin/env bash
# The whole verification, measured: a sample report of about RECORDS records against a logbook
# of as many QSOs, downloaded over HTTPS from the loopback report service by the real plug-in in
# refhost (release build).
#
#   bash bench/verify-bench.sh [BUILD_DIR] [RECORDS]     (defaults: build/release, 100000)
#
# Figures: the run's time (Verify pressed to run ended, refhost --timing); the time spent inside
# host calls (refhost --timing); the transfer (the same request fetched with curl, the best of
# three); the plug-in's own share, which is the rest; and the process's peak resident memory
# (/usr/bin/time) against the report's size, beside the peak of the same logbook verified
# against a ten-record report, which shows what the host itself holds with the log open.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
records=${2:-100000}

refhost=$build/Host/refhost
fixture=$build/Tools/ReportFixture/reportfixture
samplegen=$build/Tools/SampleData/samplegen
for program in "$refhost" "$fixture" "$samplegen"; do
    [[ -x $program ]] || {
        echo "missing $program: cmake --preset release && cmake --build build/release" \
            "--target refhost reportfixture samplegen" >&2
        exit 2
    }
done

work=$(mktemp -d)
fixture_pid=
cleanup() {
    [[ -z $fixture_pid ]] || kill "$fixture_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$work/app"

bash Tools/make-test-certs.sh "$work/certs"
(umask 077 && echo bench >"$work/password")
cp "$work/certs/ca.pem" "$work/app/curl-ca-bundle.crt"
cp -P "$(dirname "$refhost")/libeay32.dll" "$(dirname "$refhost")/ssleay32.dll" "$work/app/"

# One QSO in every 50 is missing from the report, and as many report records find no QSO.
unmatched=$((records / 50))
qsos=$records
"$samplegen" --qsos "$qsos" --from 2015-01-01 --until 2024-12-31 --listed 98 \
    --unmatched "$unmatched" --log "$work/log.adi" --report "$work/report.adi" >/dev/null
"$samplegen" --qsos 10 --log "$work/small.adi" --report "$work/small-report.adi" >/dev/null
"$refhost" import --db "$work/log.sqlite" --log Main "$work/log.adi" >/dev/null
cp "$work/log.sqlite" "$work/baseline.sqlite"
report_bytes=$(stat -c %s "$work/report.adi")
report_records=$(grep -c '^<eor>' "$work/report.adi")

# Serves FILE over HTTPS; sets $resource.
serve() {
    [[ -z $fixture_pid ]] || kill "$fixture_pid" 2>/dev/null || true
    "$fixture" --report "$1" --cert "$work/certs/server.pem" --key "$work/certs/server.key" \
        --idle 120 >"$work/fixture.out" &
    fixture_pid=$!
    for _ in $(seq 100); do
        grep -q '^port=' "$work/fixture.out" && break
        sleep 0.1
    done
    resource="https://127.0.0.1:$(sed -n 's/^port=//p' "$work/fixture.out")/lotwuser/lotwreport.adi"
}

# Runs refhost verify on DB against $resource; prints "<peak KB> <timing line>".
verify() {
    /usr/bin/time -f 'peak-kb %M' -o "$work/time.out" "$refhost" verify --db "$1" --log Main \
        --operator DL1ABC --login bench --password-file "$work/password" --app-dir "$work/app" \
        --download-dir "$work" --resource "$resource" --timing >"$work/verify.out" 2>&1 || {
        cat "$work/verify.out" >&2
        exit 1
    }
    echo "$(awk '/^peak-kb/ {print $2}' "$work/time.out") $(grep '^timing:' "$work/verify.out")"
}

serve "$work/small-report.adi"
read -r baseline_kb _ < <(verify "$work/baseline.sqlite")

serve "$work/report.adi"
transfer=
for _ in 1 2 3; do
    t=$(curl -s -o /dev/null --cacert "$work/certs/ca.pem" -w '%{time_total}' \
        "$resource?login=bench&password=bench")
    transfer=$(awk -v a="$t" -v b="${transfer:-$t}" 'BEGIN {print (a < b ? a : b)}')
done
read -r peak_kb timing < <(verify "$work/log.sqlite")
summary=$(grep -o 'All:[^(]*' "$work/verify.out" | tail -n 1 | sed 's/ *$//')

# timing: run R s, inside host calls H s (N calls)
run=$(sed -E 's/.*run ([0-9.e+-]+) s.*/\1/' <<<"$timing")
host=$(sed -E 's/.*host calls ([0-9.e+-]+) s.*/\1/' <<<"$timing")
calls=$(sed -E 's/.*\(([0-9]+) calls\).*/\1/' <<<"$timing")

awk -v records="$report_records" -v qsos="$qsos" -v bytes="$report_bytes" -v run="$run" \
    -v host="$host" -v calls="$calls" -v transfer="$transfer" -v peak="$peak_kb" \
    -v baseline="$baseline_kb" -v summary="$summary" 'BEGIN {
    mb = bytes / 1e6
    own = run - host - transfer
    printf "report: %d records, %.1f MB, against a logbook of %d QSOs (%s)\n", records, mb, qsos, summary
    printf "whole verification:   %6.2f s   (target <= 10 s)\n", run
    printf "  inside host calls:  %6.2f s   (%d calls)\n", host, calls
    printf "  transfer:           %6.2f s   (the same request with curl, best of 3)\n", transfer
    printf "  plug-in own share:  %6.2f s = %.1f %% of the run   (target <= 10 %%)\n", own, 100 * own / run
    printf "peak memory:          %6.1f MB = %.2f x the report   (target <= 4 x)\n", peak * 0.001024, peak * 1024 / bytes
    printf "  with a 10-record report: %.1f MB; the report adds %.1f MB = %.2f x the report\n", baseline * 0.001024, (peak - baseline) * 0.001024, (peak - baseline) * 1024 / bytes
}'
