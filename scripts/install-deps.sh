#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when any is missing; with
# arguments, the packages named instead.
# The dialog is drawn with DejaVu Sans Condensed when the system has no Tahoma.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libsqlite3-dev libcurl4-openssl-dev libssl-dev openssl libcpp-httplib-dev
    xvfb xauth curl time
    fontconfig fonts-dejavu-core fonts-dejavu-extra
)

if (($#)); then
    packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
