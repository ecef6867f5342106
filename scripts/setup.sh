#!/bin/sh
# Installs what the build needs on a Debian 12 machine; only what is missing.
# Usage: scripts/setup.sh [--fuzz] [extra-package ...]
#   --fuzz  also clang and its runtime with libFuzzer (make fuzz)
# `make deb` adds what packaging needs: dpkg-dev (dpkg-shlibdeps), file,
# desktop-file-utils and appstream (the validators).
set -eu

fuzz=""
if [ "${1:-}" = "--fuzz" ]; then
    fuzz="clang libclang-rt-dev"
    shift
fi

# The faces of the desktop the window test of the captions measures with:
# Cantarell (GNOME's interface face) and DejaVu Sans (the usual fallback).
fonts="fonts-cantarell fonts-dejavu-core"

pkgs="g++ make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev xvfb xauth $fonts $fuzz $*"

missing=""
for p in $pkgs; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "setup: installing$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
