#!/bin/sh
# Builds the Debian package vellumark_VERSION_ARCH.deb and checks it with
# lintian. The build folder (default build-release, the Release build that
# scripts/test.sh makes) is configured for a system installation
# (-DVELLUM_LAYOUT=fhs, prefix /usr), brought up to date and packed by CPack,
# whose dpkg-shlibdeps run gives the dependencies. The package lands in
# BUILD/package/; its path is the last line of the output.
# Usage: scripts/package.sh [BUILD]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-release}

# A new build folder is a Release build; an existing one keeps its own.
new=""
if [ ! -f "$build/CMakeCache.txt" ]; then new="-G Ninja -DCMAKE_BUILD_TYPE=Release"; fi
# shellcheck disable=SC2086 # $new is options, or none
cmake -S . -B "$build" $new -DVELLUM_LAYOUT=fhs -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"

# The files' times in the package: those of the last change, not of this run.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
  export SOURCE_DATE_EPOCH
fi
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
deb=$(ls "$build"/package/vellumark_*.deb)

lintian --fail-on error "$deb" >&2
echo "$deb"
