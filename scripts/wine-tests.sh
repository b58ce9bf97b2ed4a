#!/usr/bin/env bash
# The Win32 suite: cross-builds the DLL and its tests (build/win32) and runs them under 32-bit
# Wine, headless under Xvfb. Needs what scripts/install-wine.sh installs and the native dev
# build (build/dev), whose loopback report service the transport test talks to.
#
# The Wine prefix lives in the build folder and is made once (half a minute); one wineserver
# serves the whole suite, which saves Wine's start-up for each test program, and is stopped
# when the suite ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

jobs=$(nproc)
cmake --preset win32 -DCORVANE_NATIVE_BUILD="$root/build/dev" >/dev/null
cmake --build --preset win32 -j "$jobs"

export WINEPREFIX=$root/build/win32/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Wine's desktop process belongs to the X display it was started on, and windows fail to open
# once that display is gone: the prefix, the server and the suite share one display, and no
# server of an earlier run is kept.
wineserver -k >/dev/null 2>&1 || true
# Wine under qemu now and then crashes a program in one of its own threads after every check
# passed: a crash ends the program (no debugger is started) and the test runs once more.
xvfb-run -a bash -c '
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        echo "Making the Wine prefix in $WINEPREFIX ..."
        wineboot -i >/dev/null 2>&1
    fi
    wineserver -p >/dev/null 2>&1 || true
    status=0
    ctest --preset win32 -j "$1" --repeat until-pass:3 || status=$?
    wineserver -k >/dev/null 2>&1 || true
    exit $status' bash "$jobs"
