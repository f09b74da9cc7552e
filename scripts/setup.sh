#!/usr/bin/env bash
# Installs everything the build, the tests and the application need on Debian 12. Idempotent.
set -euo pipefail
packages=(
    build-essential g++ clang libclang-rt-14-dev cmake ninja-build ccache pkg-config git
    qt6-base-dev qt6-charts-dev qt6-image-formats-plugins libqt6opengl6-dev libgl1-mesa-dev
    libsqlite3-dev sqlite3 libicu-dev nlohmann-json3-dev libcli11-dev libfmt-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    zip unzip xvfb xauth locales poppler-utils
    appstream desktop-file-utils libqt6svg6
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The tests format dates and numbers in en_US; ICU carries its own data, Qt wants the locale.
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf8$'; then
    $SUDO sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
fi
