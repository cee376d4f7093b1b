#!/usr/bin/env bash
# Builds and runs the journal query benchmark against a private server.
#   bench/journal/run.sh [ROWS] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${VELKOR_BUILD_DIR:-$root/build}"
port="${VELKOR_BENCH_PORT:-33075}"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_journal_query
"$root/scripts/dbserver.sh" start "$build/benchserver" "$port"
trap '"$root/scripts/dbserver.sh" stop "$build/benchserver"' EXIT
"$build/bin/bench_journal_query" "127.0.0.1:$port" root "${VELKOR_DB_PASSWORD:-velkor-root}" "$@"
