#!/usr/bin/env bash
# The test command: installs what is missing, builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the whole suite, then the fuzz targets for a fixed run count,
# then cross-builds the Windows DLL and runs its suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/install-wine.sh

# Includes run down the layers (the order is in the script and the README).
bash scripts/check-layers.sh

jobs=$(nproc)
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
# LeakSanitizer's own tracer now and then dies at a busy program's exit; such a test runs again
# (up to three times in all).
ctest --preset dev -j "$jobs" --repeat until-pass:3

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz

# The Windows DLL and its suites under 32-bit Wine (through qemu), after the native build whose
# loopback report service they download from.
bash scripts/wine-tests.sh
