#!/usr/bin/env bash
# Runs the program on a private demo server: installs what is missing,
# builds, starts MariaDB on 127.0.0.1:${VELKOR_DEMO_PORT:-33061} with data
# under the build folder, creates the journal database "velkordemo" (about
# 2,000 generated records) and the account "archivist" (password
# "epk-demo"), presets the login dialog to them and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VELKOR_BUILD_DIR:-$root/build}"
port="${VELKOR_DEMO_PORT:-33061}"
rootpw="${VELKOR_DB_PASSWORD:-velkor-root}"
user=archivist
userpw=epk-demo

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target velkor velkor-gen
"$root/scripts/dbserver.sh" start "$build/demoserver" "$port"

sql() { mariadb --no-defaults -h127.0.0.1 -P"$port" -uroot -p"$rootpw" "$@"; }
if [ -z "$(sql -N -e "show databases like 'velkordemo'")" ]; then
  "$build/bin/velkor-gen" --rows 2000 --seed 2026 --host "127.0.0.1:$port" --user root \
    --password "$rootpw" --database velkordemo --create
fi
sql <<SQL
CREATE USER IF NOT EXISTS '$user'@'127.0.0.1' IDENTIFIED BY '$userpw';
CREATE USER IF NOT EXISTS '$user'@'localhost' IDENTIFIED BY '$userpw';
GRANT ALL PRIVILEGES ON \`velkordemo\`.* TO '$user'@'127.0.0.1';
GRANT ALL PRIVILEGES ON \`velkordemo\`.* TO '$user'@'localhost';
SQL

# Preset the login dialog: server, account and database suffix. Other keys
# of an existing settings file stay as they are.
ini="$build/bin/velkor.INI"
touch "$ini"
awk -v host="127.0.0.1:$port" -v login="$user" -v base="demo" '
  BEGIN { want["hostname"] = "HostName=" host; want["default_login"] = "default_login=" login
          want["base_name"] = "base_name=" base }
  function flush() { if (inmysql) for (k in want) if (!(k in done)) { print want[k] "\r"; done[k] = 1 } }
  /^\[/ { flush(); inmysql = (tolower($0) ~ /^\[mysql\]/); seen = seen || inmysql; print; next }
  inmysql { key = tolower($0); sub(/=.*/, "", key); sub(/\r$/, "", key)
            if (key in want) { print want[key] "\r"; done[key] = 1; next } }
  { print }
  END { flush(); if (!seen) { print "[MySQL]\r"; for (k in want) print want[k] "\r" } }
' "$ini" > "$ini.new" && mv "$ini.new" "$ini"

echo "Login: database suffix 'demo', user '$user', password '$userpw'."
exec "$build/bin/velkor" "$@"
