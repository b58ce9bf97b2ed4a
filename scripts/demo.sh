#!/usr/bin/env bash
# The main job on its built-in default: a sample logbook verified, through the reference host
# and the real plug-in, against the loopback LoTW report service over HTTPS.
#
# Installs what is missing, builds what is missing (release), writes a sample logbook and its
# LoTW report into build/demo/, makes a throwaway certificate authority for the service, starts
# the service on 127.0.0.1, runs "refhost verify" headless and shows the logbook's marks before
# and after, the progress log, the journal line, the host command, the error log, the saved
# settings and the dialog's screenshot. Exits 0 when the verification succeeded.
# CORVANE_BUILD_DIR names another (already configured) build folder to use.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh

build=${CORVANE_BUILD_DIR:-$root/build/release}
if [[ ! -f $build/build.ninja ]]; then
    echo "Configuring the release build in $build ..."
    cmake --preset release >/dev/null
fi
echo "Building refhost, the plug-in, the report service and the sample generator ..."
if ! cmake --build "$build" -j "$(nproc)" --target refhost reportfixture samplegen \
    >"$build/demo-build.log" 2>&1; then
    tail -n 40 "$build/demo-build.log" >&2
    echo "The build failed; the whole log is $build/demo-build.log" >&2
    exit 1
fi

refhost=$build/Host/refhost
fixture=$build/Tools/ReportFixture/reportfixture
samplegen=$build/Tools/SampleData/samplegen

work=$root/build/demo
rm -rf "$work"
mkdir -p "$work/app"

# Headless: Qt's offscreen platform, and a private runtime folder it is content with.
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

login=dl1abc
# The password is read from a file only its owner can read, never from the command line.
password_file=$work/lotw-password
(umask 077 && echo demo-password >"$password_file")
operator=DL1ABC
log=Main
db=$work/logbook.sqlite

section() { printf '\n== %s ==\n' "$1"; }
indent() { sed 's/^/   /'; }

# The count of the log's QSOs that meet a condition of the host's SQL dialect.
count() {
    local where="LOGNAME='$log'${1:+ AND $1}"
    "$refhost" query --db "$db" "SELECT COUNT(*) AS CNT FROM LOGS WHERE $where" | sed -n 2p
}

marks() {
    printf '%-6s %-24s %-16s %-13s %s\n' QSOs "marked uploaded to LoTW" "LoTW confirmed" \
        "grid squares" "IOTA refs"
    printf '%-6s %-24s %-16s %-13s %s\n' "$(count)" "$(count 'LOTWSENT=TRUE')" \
        "$(count 'LOTWRCVD=TRUE')" "$(count "GRIDSQUARE<>''")" "$(count "IOTA<>''")"
}

section "Sample logbook and LoTW report"
"$samplegen" --log "$work/logbook.adi" --report "$work/lotwreport.adi" --call "$operator" | indent
"$refhost" import --db "$db" --log "$log" "$work/logbook.adi" | indent

# The application folder the host gives the plug-in: the TLS library files it checks for
# (links to the system's OpenSSL, as in refhost's own folder) and the throwaway authority
# that vouches for the service's certificate.
bash Tools/make-test-certs.sh "$work/certs"
cp "$work/certs/ca.pem" "$work/app/curl-ca-bundle.crt"
cp -P "$(dirname "$refhost")/libeay32.dll" "$(dirname "$refhost")/ssleay32.dll" "$work/app/"

"$fixture" --report "$work/lotwreport.adi" --cert "$work/certs/server.pem" \
    --key "$work/certs/server.key" --query-log "$work/queries.log" --idle 60 --limit 600 \
    >"$work/fixture.out" 2>"$work/fixture.err" &
fixture_pid=$!
trap 'kill "$fixture_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q '^port=' "$work/fixture.out" && break
    kill -0 "$fixture_pid" 2>/dev/null || { cat "$work/fixture.err" >&2; exit 1; }
    sleep 0.1
done
port=$(sed -n 's/^port=//p' "$work/fixture.out")
[[ -n $port ]] || { echo "the report service did not start" >&2; exit 1; }
resource="https://127.0.0.1:$port/lotwuser/lotwreport.adi"
echo "   LoTW report service (loopback stand-in): $resource"

section "Logbook $log before the verification"
marks | indent

section "Verification (refhost verify, the dialog driven headless)"
status=0
"$refhost" verify --db "$db" --log "$log" --log-name "Sample log" --operator "$operator" \
    --login "$login" --password-file "$password_file" --app-dir "$work/app" --download-dir "$work" \
    --resource "$resource" --screenshot "$work/dialog.png" \
    >"$work/verify.out" 2>"$work/verify.err" || status=$?
kill "$fixture_pid" 2>/dev/null || true

echo "Progress log:"
grep -v -E '^(journal|message|command): ' "$work/verify.out" | indent
echo
echo "Journal line:"
sed -n 's/^journal: /   /p' "$work/verify.out"
echo "Host commands:"
sed -n 's/^command: /   /p' "$work/verify.out"
if grep -q '^message: ' "$work/verify.out"; then
    echo "Messages shown to the user:"
    sed -n 's/^message: /   /p' "$work/verify.out"
fi
# Qt's remarks about the headless platform are no news; anything else is shown.
problems=$(grep -v -E 'propagateSizeHints|XDG_RUNTIME_DIR' "$work/verify.err" || true)
[[ -z $problems ]] || { echo "Problems reported:"; echo "$problems" | indent; }
echo "Request the service received (query string):"
indent <"$work/queries.log"

section "Error log: report records that found no QSO"
if [[ -f $work/Corvane.err ]]; then
    echo "   $work/Corvane.err"
    indent <"$work/Corvane.err"
else
    echo "   (none: every record found its QSO)"
fi

section "Logbook $log after the verification"
marks | indent

section "Verified log exported for the logging program"
"$refhost" export --db "$db" --log "$log" "$work/verified.adi" | indent

section "Settings saved when the dialog closed"
echo "   $work/app/refhost.ini"
sed -e 's/^Password=.*/Password=(stored)/' "$work/app/refhost.ini" | indent

section "Dialog"
echo "   screenshot: $work/dialog.png"

echo
if ((status == 0)); then
    echo "Demo finished: the logbook was verified against the LoTW report."
else
    echo "Demo failed: refhost verify ended with status $status." >&2
fi
exit "$status"
