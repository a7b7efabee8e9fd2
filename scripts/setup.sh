#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Does nothing when they are all present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql libgl-dev
  libgtest-dev googletest libbenchmark-dev
  fonts-liberation2 fontconfig
  xvfb xauth x11-apps x11-utils imagemagick
  postgresql
  cups cups-bsd cups-client cups-ipp-utils printer-driver-cups-pdf
  poppler-utils emf2svg sqlite3
  zbar-tools libzint-dev
  libgsf-1-dev zlib1g-dev libfontconfig-dev
  locales
)

# System locales the tests run under: the Italian one our users have, the
# plain C one, and one with other separators ("." and "’").
locales=(it_IT.UTF-8 C.UTF-8 de_CH.UTF-8)

# True when the C library knows the locale ("it_IT.UTF-8" is listed by
# locale -a as "it_IT.utf8").
locale_present() {
  local wanted
  wanted=$(echo "$1" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8$/utf8/')
  locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qx "$wanted"
}

# Generates the locales that are missing (after the packages: locale-gen
# comes with the package "locales").
ensure_locales() {
  local missing_locales=() l
  for l in "${locales[@]}"; do
    locale_present "$l" || missing_locales+=("$l")
  done
  [ ${#missing_locales[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root to generate the locales: ${missing_locales[*]}" >&2
    exit 1
  fi
  for l in "${missing_locales[@]}"; do
    # C.UTF-8 is built into the C library; the others need their line.
    [ "$l" = C.UTF-8 ] && continue
    if ! grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null; then
      if grep -qx "# *$l UTF-8" /etc/locale.gen 2>/dev/null; then
        sed -i "s/^# *$l UTF-8\$/$l UTF-8/" /etc/locale.gen
      else
        echo "$l UTF-8" >>/etc/locale.gen
      fi
    fi
  done
  locale-gen
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  ensure_locales
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: run as root to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
ensure_locales
