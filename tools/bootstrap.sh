#!/bin/sh
# Installs the Debian packages the build and the tests need, if any is
# missing: with apt-get when run as root, otherwise it prints the commands to
# run and stops. wine32 comes from Debian's i386 architecture, so that is
# added first when it is missing: it lets Wine run the shipped 32-bit program
# the way 64-bit Windows does.
set -eu

packages="make cmake g++ libgtest-dev python3 python3-pefile wine wine64 wine32:i386
clang libclang-rt-14-dev nsis
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

add_i386=""
dpkg --print-foreign-architectures | grep -qx i386 || add_i386="dpkg --add-architecture i386"

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing" >&2
    echo "Install them with:" >&2
    [ -n "$add_i386" ] && echo "  sudo $add_i386" >&2
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends$missing" >&2
    exit 1
fi
echo "Installing:$missing"
[ -n "$add_i386" ] && $add_i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
