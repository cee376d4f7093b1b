#!/usr/bin/env bash
# A private MariaDB server for tests, the demo and the benchmarks.
#   dbserver.sh start DIR PORT [stock]
#                                initialise DIR (once) and start mariadbd on
#                                127.0.0.1:PORT with its own socket and pid file;
#                                the journal's cp1251 as the server's character
#                                set, or with "stock" the defaults a packaged
#                                server has (utf8mb4, strict sql_mode)
#   dbserver.sh stop DIR         end the server started in DIR
# The root account gets the password $VELKOR_DB_PASSWORD (default
# "velkor-root") for TCP connections.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start DIR PORT | stop DIR" >&2; exit 2; }
password="${VELKOR_DB_PASSWORD:-velkor-root}"
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
data="$dir/data"
sock="$dir/mysqld.sock"
pidfile="$dir/mysqld.pid"
log="$dir/mysqld.log"
# Temporary tables of its own: two servers set up at once (the test run
# starts two) must not meet in /tmp.
tmp="$dir/tmp"

find_bin() {
  for b in "$@"; do
    command -v "$b" >/dev/null 2>&1 && { command -v "$b"; return; }
    [ -x "/usr/sbin/$b" ] && { echo "/usr/sbin/$b"; return; }
  done
  echo "missing: $*" >&2; exit 1
}

running() {
  [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

stop_server() {
  if running; then
    local pid; pid="$(cat "$pidfile")"
    kill "$pid"
    for _ in $(seq 1 300); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid" || true
  fi
  rm -f "$pidfile"
}

case "$cmd" in
  stop)
    stop_server
    ;;
  start)
    port="${3:-}"
    [ -n "$port" ] || { echo "usage: $0 start DIR PORT [stock]" >&2; exit 2; }
    charset=(--character-set-server=cp1251 --collation-server=cp1251_general_ci)
    [ "${4:-}" = stock ] &&
      charset=(--character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci)
    server="$(find_bin mariadbd mysqld)"
    install_db="$(find_bin mariadb-install-db mysql_install_db)"
    client="$(find_bin mariadb mysql)"
    user_opt=()
    [ "$(id -u)" -eq 0 ] && user_opt=(--user=root)
    stop_server
    fresh=0
    mkdir -p "$tmp"
    # A set-up that failed part-way is done again; a working one is kept.
    if [ ! -d "$data/mysql" ] || grep -qs "Installation of system tables failed" "$dir/install.log"; then
      rm -rf "$data"
      if ! "$install_db" --no-defaults --datadir="$data" --tmpdir="$tmp" "${user_opt[@]}" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 \
        || grep -q "Installation of system tables failed" "$dir/install.log"; then
        cat "$dir/install.log" >&2
        rm -rf "$data"
        exit 1
      fi
      fresh=1
    fi
    "$server" --no-defaults --datadir="$data" --tmpdir="$tmp" --socket="$sock" --pid-file="$pidfile" \
      --port="$port" --bind-address=127.0.0.1 --skip-name-resolve "${user_opt[@]}" \
      "${charset[@]}" \
      --log-error="$log" --innodb-buffer-pool-size=64M --max-allowed-packet=64M \
      >/dev/null 2>&1 &
    server_pid=$!
    up=0
    for _ in $(seq 1 600); do
      if "$client" --no-defaults --socket="$sock" -uroot -p"$password" -e 'select 1' >/dev/null 2>&1 \
         || "$client" --no-defaults --socket="$sock" -uroot -e 'select 1' >/dev/null 2>&1; then
        up=1
        break
      fi
      if ! kill -0 "$server_pid" 2>/dev/null; then
        echo "mariadbd did not start; its log ($log):" >&2; tail -n 30 "$log" >&2; exit 1
      fi
      sleep 0.1
    done
    if [ "$up" != 1 ]; then
      # Started but never answered: do not leave it half up.
      echo "mariadbd did not answer within 60 s on $sock; stopping it. Its log ($log):" >&2
      tail -n 30 "$log" >&2
      kill "$server_pid" 2>/dev/null || true
      sleep 2
      kill -9 "$server_pid" 2>/dev/null || true
      rm -f "$pidfile"
      exit 1
    fi
    if [ "$fresh" = 1 ] || ! "$client" --no-defaults --socket="$sock" -uroot -p"$password" -e 'select 1' >/dev/null 2>&1; then
      "$client" --no-defaults --socket="$sock" -uroot <<SQL
ALTER USER 'root'@'localhost' IDENTIFIED BY '$password';
CREATE USER IF NOT EXISTS 'root'@'127.0.0.1';
ALTER USER 'root'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
    fi
    "$client" --no-defaults -h127.0.0.1 -P"$port" -uroot -p"$password" -e 'select 1' >/dev/null \
      || { echo "the server on port $port does not answer" >&2; exit 1; }
    echo "MariaDB running on 127.0.0.1:$port (data in $data)"
    ;;
  *)
    echo "usage: $0 start DIR PORT | stop DIR" >&2; exit 2
    ;;
esac
