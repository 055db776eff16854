#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the lab need, when missing.
set -euo pipefail

# The last line serves the Debian package: dpkg-dev and file work out its dependencies;
# lintian, appstream and desktop-file-utils check it.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev qtbase5-dev qtbase5-dev-tools libqt5network5
          xvfb xdotool imagemagick iproute2 nftables fonts-dejavu-core procps
          dpkg-dev file lintian appstream desktop-file-utils)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
