#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its demo need.
# Idempotent: when everything is present it does nothing, otherwise it runs
# apt-get update once and installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6printsupport6
  libmariadb-dev mariadb-server mariadb-client
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
)
if [ "$#" -gt 0 ]; then packages+=("$@"); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
