#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Does nothing when they are all present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql libgl-dev
  libgtest-dev googletest libbenchmark-dev
  fonts-liberation2 fontconfig
  xvfb xauth x11-apps x11-utils imagemagick
  postgresql
  cups cups-bsd cups-client printer-driver-cups-pdf
  poppler-utils emf2svg sqlite3
  zbar-tools libzint-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: run as root to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
