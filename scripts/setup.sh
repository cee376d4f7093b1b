#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its demo need.
# Idempotent: when everything is present it does nothing, otherwise it runs
# apt-get update once and installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6printsupport6 qt6-translations-l10n
  libmariadb-dev mariadb-server mariadb-client
  libgtest-dev libgmock-dev libbenchmark-dev
  libxlsxwriter-dev python3-openpyxl
  fonts-liberation fonts-dejavu-core poppler-utils
  locales
)
if [ "$#" -gt 0 ]; then packages+=("$@"); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
have_locale=0
locale -a 2>/dev/null | grep -qix 'uk_UA.utf8' && have_locale=1
[ "${#missing[@]}" -eq 0 ] && [ "$have_locale" = 1 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup.sh: installing needs root, and neither root nor sudo is available." >&2
    echo "Run as root, then run this script again:" >&2
    [ "${#missing[@]}" -gt 0 ] && echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    [ "$have_locale" = 1 ] || echo "  localedef -i uk_UA -f UTF-8 uk_UA.UTF-8" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests read numbers under a locale with a decimal comma.
if [ "$have_locale" != 1 ]; then
  echo "Making the locale uk_UA.UTF-8"
  "${sudo_cmd[@]}" localedef -i uk_UA -f UTF-8 uk_UA.UTF-8
fi
