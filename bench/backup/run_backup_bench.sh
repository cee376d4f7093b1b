#!/usr/bin/env bash
# Whole-command figures of the backup: export and import of a generated
# journal against the server's own tools, and velkor-arc pack/unpack as
# processes beside those of lzhuf-plain, the plain codec. One run on one
# machine; peers measured in the same run.
#   bench/backup/run_backup_bench.sh BUILD_DIR PORT [ROWS]
# Needs a running private server on 127.0.0.1:PORT (scripts/dbserver.sh) with
# the root password in VELKOR_DB_PASSWORD (default velkor-root), and hyperfine.
set -euo pipefail
build="$(cd "$1" && pwd)"; port="$2"; rows="${3:-100000}"
pw="${VELKOR_DB_PASSWORD:-velkor-root}"
bin="$build/bin"; work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
sql() { mariadb --no-defaults --default-character-set=cp1251 -h127.0.0.1 -P"$port" -uroot -p"$pw" "$@"; }
tables="doc_list sprav_source_list sprav_org_list sprav_place_list sprav_doctype_list sprav_expert_list sprav_adv_info"
checksums() { sql -N -e "checksum table $(for t in $tables; do printf 'velkorbench.%s,' "$t"; done | sed 's/,$//')"; }

"$bin/velkor-gen" --rows "$rows" --seed 7 --host "127.0.0.1:$port" --user root --password "$pw" \
  --database velkorbench --create >/dev/null
export VELKOR_PASSWORD="$pw"
cd "$work"
checksums > before
t() { /usr/bin/time -f "%e s, %M KiB peak" "$@"; }

echo "== export of $rows rows (the script packed on a second thread while it is written)"
t "$bin/velkor-backup" export --host "127.0.0.1:$port" --user root --database velkorbench x.ARC 2>&1 | tail -1
echo "-- export --verify: the export, then the archive restored into a scratch database and compared"
t "$bin/velkor-backup" export --verify --host "127.0.0.1:$port" --user root --database velkorbench v.ARC 2>&1 | tail -1
echo "-- peer: mariadb-dump --skip-extended-insert, then packing its output with lzhuf-plain"
t mariadb-dump --no-defaults -h127.0.0.1 -P"$port" -uroot -p"$pw" --skip-extended-insert velkorbench 2>&1 >dump.sql | tail -1
t "$bin/lzhuf-plain" pack dump.sql dump.lz 2>&1 | tail -1

echo "== import (the archive checked whole, the script run into a staging database, swapped in)"
"$bin/velkor-arc" extract x.ARC script.sql
t "$bin/velkor-backup" import --host "127.0.0.1:$port" --user root x.ARC 2>&1 | tail -1
checksums > after
cmp -s before after && echo "round trip: CHECKSUM TABLE identical" || echo "round trip: CHECKSUM TABLE DIFFERS"
echo "-- peer: mariadb < script"
/usr/bin/time -f "%e s, %M KiB peak" mariadb --no-defaults --default-character-set=cp1251 -h127.0.0.1 -P"$port" -uroot -p"$pw" < script.sql 2>&1 | tail -1

if ! command -v hyperfine >/dev/null; then
  echo "(hyperfine is not installed: the codec's figures are left out)"
  sql -e "drop database velkorbench"
  exit 0
fi
echo "== velkor-arc as whole commands; peer: lzhuf-plain, the plain codec"
head -c 5000000 script.sql > s5; head -c 50000000 script.sql > s50
"$bin/velkor-arc" pack s5 s5.lz; "$bin/velkor-arc" pack s50 s50.lz
hyperfine -N -i --warmup 1 --runs 5 "$bin/velkor-arc pack s5 o5" "$bin/velkor-arc unpack s5.lz u5" \
  "$bin/velkor-arc pack s50 o50" "$bin/velkor-arc unpack s50.lz u50" "$bin/velkor-arc" \
  "$bin/lzhuf-plain pack s5 p5" "$bin/lzhuf-plain unpack s5.lz q5" \
  "$bin/lzhuf-plain pack s50 p50" "$bin/lzhuf-plain unpack s50.lz q50" "$bin/lzhuf-plain" 2>&1 |
  grep -E "Benchmark|Time"
cmp -s o50 p50 && echo "streams of velkor-arc and lzhuf-plain: identical" ||
  echo "streams of velkor-arc and lzhuf-plain: DIFFER"
for f in "pack s50 o50" "unpack s50.lz u50"; do
  echo "velkor-arc $f: $(/usr/bin/time -f '%M KiB peak' "$bin/velkor-arc" $f 2>&1 | tail -1)"
  echo "lzhuf-plain $f: $(/usr/bin/time -f '%M KiB peak' "$bin/lzhuf-plain" $f 2>&1 | tail -1)"
done
sql -e "drop database velkorbench"
