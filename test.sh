#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and UndefinedBehaviorSanitizer,
# builds the Qt-free targets for Windows too, and runs every test (the Windows ones under Wine). Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
zolvane_install_missing

build=${ZOLVANE_TEST_BUILD:-build/test}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOLVANE_SANITIZE=ON -DZOLVANE_WERROR=$werror -DZOLVANE_WINDOWS_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
