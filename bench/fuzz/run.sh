#!/bin/bash
# Fuzzes the LZHUF unpacker, the packer's round trip and the archive reader
# with libFuzzer under the address and undefined-behaviour sanitizers.
#
#   bench/fuzz/run.sh [SECONDS]      (default 600)
#
# Needs clang 14 with libclang-rt-14-dev and a built velkor-arc, which makes
# the seed corpus: VELKOR_ARC=path/to/velkor-arc, else build*/bin/velkor-arc.
# Works in VELKOR_FUZZ_DIR (default build-fuzz/): a clang build configured
# with VELKOR_FUZZ=ON, the seeds, the growing corpus, and crash artifacts if
# there are any.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-600}
work=${VELKOR_FUZZ_DIR:-$root/build-fuzz}
arc=${VELKOR_ARC:-$(ls -t "$root"/build*/bin/velkor-arc 2>/dev/null | head -1)}
cxx=${CXX:-clang++-14}
[ -x "$arc" ] || { echo "no velkor-arc found; build it or set VELKOR_ARC" >&2; exit 2; }

mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts" "$work/inputs"
# The fuzz target is a CMake option of its own clang build.
cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" -DVELKOR_FUZZ=ON -DVELKOR_TESTS=OFF -DVELKOR_BENCH=OFF >/dev/null
cmake --build "$work/build" --target fuzz_backup -j"$(nproc)"
fuzzer="$work/build/bin/fuzz_backup"

# Seeds: streams and archives that velkor-arc itself made.
in=$work/inputs
printf 'a' > "$in/a"
printf 'abc' > "$in/abc"
head -c 99 /dev/zero | tr '\0' a > "$in/a99"
printf '          ' > "$in/spaces"
head -c 3000 "$root/Template/base.sql" > "$in/sql"
printf 'INSERT INTO doc_list VALUES (%d, "\xC0\xF0\xF5\xB3\xE2 %d");\r\n' $(seq 1 400) > "$in/inserts"
for f in "$in"/*; do
    name=$(basename "$f")
    "$arc" pack "$f" "$work/seeds/$name.lz"
    rm -f "$work/seeds/$name.arc"
    "$arc" add "$work/seeds/$name.arc" "$f" --name-only
done
rm -f "$work/seeds/two.arc"
"$arc" add "$work/seeds/two.arc" "$in/abc"
"$arc" add "$work/seeds/two.arc" "$in/sql" --name-only

"$fuzzer" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds"
