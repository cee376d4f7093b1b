#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test, the
# server-backed ones against a private MariaDB that CTest starts and stops.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VELKOR_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELKOR_WERROR="${VELKOR_WERROR:-OFF}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
