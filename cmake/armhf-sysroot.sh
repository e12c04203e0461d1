#!/usr/bin/env bash
# Prepares the folder of armhf libraries that the cross build links against and that the emulator
# loads: Debian's armhf packages are downloaded and unpacked there, never installed on the host
# (installing armhf -dev packages would downgrade or remove host packages).
#
# Needs `dpkg --add-architecture armhf` and an `apt-get update` after it. The folder is
# build/armhf-sysroot in the source tree unless PATHWEAVE_ARMHF_SYSROOT names another;
# cmake/armhf.cmake reads the same variable. Running it again does nothing while the
# folder holds the current versions.
set -euo pipefail

packages=(libsqlite3-0:armhf libsqlite3-dev:armhf)

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
sysroot="${PATHWEAVE_ARMHF_SYSROOT:-$source_dir/build/armhf-sysroot}"

versions=""
for package in "${packages[@]}"; do
    candidate="$(apt-cache policy "$package" | awk '/Candidate:/ { print $2 }')"
    if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then
        echo "armhf-sysroot: apt knows no $package; run 'dpkg --add-architecture armhf' and 'apt-get update'" >&2
        exit 1
    fi
    versions+="$package=$candidate"$'\n'
done

stamp="$sysroot/.packages"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "${versions%$'\n'}" ]; then
    echo "armhf-sysroot: $sysroot is up to date"
    exit 0
fi

rm -rf "$sysroot"
downloads="$sysroot/.downloads"
mkdir -p "$downloads"
(cd "$downloads" && apt-get download "${packages[@]}")
for deb in "$downloads"/*.deb; do
    dpkg -x "$deb" "$sysroot"
done
rm -rf "$downloads"
printf '%s' "${versions%$'\n'}" >"$stamp"
echo "armhf-sysroot: unpacked ${packages[*]} into $sysroot"
