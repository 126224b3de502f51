#!/bin/sh
# Installs the Debian packages the build and the tests need, if any is
# missing: with apt-get when run as root, otherwise it prints the command to
# run and stops.
set -eu

packages="make cmake g++ libgtest-dev python3 python3-pefile wine wine64
clang libclang-rt-14-dev
g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
binutils-mingw-w64-i686 binutils-mingw-w64-x86-64"

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing" >&2
    echo "Install them with: sudo apt-get update && sudo apt-get install -y$missing" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
