#!/usr/bin/env bash
# Builds a server benchmark and runs it against a private server.
#   bench/run_server_bench.sh TARGET [ARGS...]
# e.g. bench/run_server_bench.sh bench_dataset_fill 100000 5
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VELKOR_BUILD_DIR:-$root/build}"
port="${VELKOR_BENCH_PORT:-33075}"
target="${1:?usage: $0 TARGET [ARGS...]}"
shift
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$target"
"$root/scripts/dbserver.sh" start "$build/benchserver" "$port"
trap '"$root/scripts/dbserver.sh" stop "$build/benchserver"' EXIT
"$build/bin/$target" "127.0.0.1:$port" root "${VELKOR_DB_PASSWORD:-velkor-root}" "$@"
