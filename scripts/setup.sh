#!/usr/bin/env bash
# Installs every Debian package the project needs. Quiet and quick when all
# of them are already there, so the run and test commands can call it first.
# Names must be real package names, not virtual ones that another package
# provides (dpkg-query does not know those, so they would be "missing" at
# every run and the package manager would be called each time).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libxcb1-dev qt6-multimedia-dev qt6-serialport-dev qt6-translations-l10n libgl-dev
    libsqlite3-dev sqlite3 libpq-dev postgresql libssl-dev libpugixml-dev
    libphonenumber-dev libicu-dev libprotobuf-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libsofia-sip-ua-dev sip-tester
    fonts-noto-cjk xvfb xauth openbox socat poppler-utils
    clang libclang-rt-14-dev
    mecab-ipadic skkdic-extra
    dpkg-dev lintian help2man file
)
# The dictionary data packages come from the npm registry; any npm will do.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
