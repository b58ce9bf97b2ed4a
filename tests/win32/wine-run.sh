#!/usr/bin/env bash
# CTest's emulator for the Win32 test programs: runs one under Wine and passes its exit code on.
#
# Under qemu, one of Wine's own threads now and then crashes (most often while TLS starts) and
# the program then spins without end. A run that outlasts WINE_RUN_LIMIT seconds (default 120;
# a test program takes seconds) is ended and fails, and CTest's repeat runs it again. A listing
# of a program's cases (--gtest_list_tests), which CTest needs before any test can run and which
# changes nothing, is tried up to three times within 60 seconds each.
set -uo pipefail
# No Windows debugger is started for a crash, nor Wine's .NET and HTML engines installed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
limit=${WINE_RUN_LIMIT:-120} attempts=1
[[ " $* " == *" --gtest_list_tests "* ]] && limit=60 attempts=3
for ((attempt = 1; ; ++attempt)); do
    timeout -k 5 "$limit" wine "$@"
    status=$?
    ((status == 124 || status == 137)) || exit $status
    echo "wine-run: $1 ran longer than $limit s and was ended (attempt $attempt)" >&2
    ((attempt < attempts)) || exit $status
done
