#!/usr/bin/env bash
# Installs every Debian package Tidewell needs to build, run and test.
# Safe to run again: only what is missing gets installed.
set -euo pipefail

packages=(
    # toolchain
    g++ cmake ninja-build pkg-config git
    # user interface, HTML view, printing
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools qt6-translations-l10n
    libgl-dev libxkbcommon-dev
    # message store: embedded engine, tools, client, and the server used by the server-mode test
    firebird3.0-server-core firebird3.0-utils firebird3.0-server libfbclient2 libqt6sql6-ibase
    # mail parsing, SMTP, crypto, .msg files
    libgmime-3.0-dev libcurl4-openssl-dev libssl-dev libgsf-1-dev
    # decryption, keystroke synthesis, fonts
    gnupg libxtst-dev fonts-noto-cjk
    # tests: X server for the HTML view, oracles, a local SMTP peer, fuzzing
    xvfb xauth tnef libemail-outlook-message-perl libemail-address-perl python3
    clang libfuzzer-14-dev
    # looking at the running program
    imagemagick xdotool
    # benchmarks: the indexers bench/import compares with
    maildir-utils notmuch
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: everything is installed"
    exit 0
fi

echo "deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
