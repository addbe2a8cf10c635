#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it in its game directory.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
zolvane_install_missing

build=build/release
# The editor's level folder is the repository's own assets/levels: new and edited levels are yours to
# commit, and a clean build does not touch them.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOLVANE_TESTS=OFF -DZOLVANE_BENCH=OFF \
  -DZOLVANE_LEVELS_DIR="$PWD/assets/levels" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build/game-dir"
exec ./zolvane-editor "$@"
