#!/usr/bin/env bash
# The layer check on small source trees: each case writes one file with its include into a
# fresh tree (beside a header of every folder it names) and states whether the check passes
# and, when it fails, the line it must print.
set -uo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

failures=0
# expect <pass|fail> <file> <included path> [expected message]
expect() {
    local outcome=$1 file=$2 included=$3 message=${4:-}
    rm -rf "${tree:?}"/*
    mkdir -p "$tree/$(dirname "$file")" "$tree/$(dirname "$included")"
    touch "$tree/$included"
    printf '#pragma once\n#include "%s"\n' "$included" >"$tree/$file"
    local output status
    output=$(bash "$check" "$tree" 2>&1)
    status=$?
    if [[ $outcome == pass && $status -ne 0 ]] || [[ $outcome == fail && $status -eq 0 ]]; then
        echo "FAIL: $file including $included: expected the check to $outcome; it said:"
        echo "$output"
        failures=$((failures + 1))
    elif [[ -n $message && $output != *"$message"* ]]; then
        echo "FAIL: $file including $included: no \"$message\" in:"
        echo "$output"
        failures=$((failures + 1))
    fi
}

expect fail Platform/ErrorInfo.h PluginAPI/IInterface.h \
    "Platform/ErrorInfo.h:2: includes PluginAPI/IInterface.h from PluginAPI, which Platform may not use"
expect fail Toolkit/Form.cpp PluginAPI/Plugins/Helpers.h "which Toolkit may not use"
expect fail Host/HostCall.cpp Toolkit/Form.h "which Host may not use"
expect fail Stray/Unit.cpp Platform/Files.h "Stray/Unit.cpp: lies in no layer"
expect pass Toolkit/win32/Win32Form.cpp Platform/win32/WindowHandle.h
expect pass Platform/qt/Icons.cpp Platform/qt/WindowHandle.h
expect pass PluginForm/PluginForm.h Toolkit/Form.h
expect pass Plugins/Corvane/posix/CurlTransport.cpp Plugins/Corvane/HttpTransport.h

# An include written relative to the including file's folder.
rm -rf "${tree:?}"/*
mkdir -p "$tree/Platform" "$tree/PluginAPI"
printf '#include "../PluginAPI/IInterface.h"\n' >"$tree/Platform/Files.h"
touch "$tree/PluginAPI/IInterface.h"
if bash "$check" "$tree" >/dev/null 2>&1; then
    echo "FAIL: a relative include upwards passed"
    failures=$((failures + 1))
fi

exit $((failures > 0))
