#!/usr/bin/env bash
# Installs what the build needs on Debian 12 (run as root, or with sudo present), and the packages
# named as arguments.
set -euo pipefail
pkgs=(build-essential cmake ninja-build ccache pkg-config
      libcairo2-dev libfontconfig1-dev libfreetype-dev libpng-dev libjpeg62-turbo-dev libjpeg-turbo-progs libzip-dev
      fonts-liberation2 fonts-dejavu-core
      libgtest-dev libgmock-dev libbenchmark-dev poppler-utils
      python3 "$@")
# Only speeds the build up: the build links with the default linker without it.
optional=(lld)
missing=()
for p in "${pkgs[@]}" "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    required=()
    for p in "${missing[@]}"; do [[ " ${optional[*]} " == *" $p "* ]] || required+=("$p"); done
    echo "install-deps: installing without the optional packages" >&2
    if ((${#required[@]})); then
      DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${required[@]}"
    fi
  fi
fi
