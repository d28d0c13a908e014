#!/bin/sh
# Sets everything up and runs the tests: installs the dependencies, compiles
# the Release configuration with the tests (so that a warning only the
# optimiser sees cannot land) and makes the Debian package of it, builds with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs ctest on that
# build. Warnings are errors in both builds.
set -eu
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON \
  -DVELLUM_LAYOUT=fhs
cmake --build build-release
# The Debian package of that build, checked by lintian; the test labelled
# "package" installs, uses and purges it.
./scripts/package.sh build-release
VELLUM_PACKAGE=$(ls "$PWD"/build-release/package/vellumark_*.deb)
export VELLUM_PACKAGE
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELLUM_SANITIZE=ON -DVELLUM_WERROR=ON
cmake --build build-test
cd build-test
# Tests labelled "large" (minutes each under the sanitizers) run only when
# asked: ./scripts/test.sh -L large
if [ "$#" -eq 0 ]; then set -- -LE large; fi
ctest --output-on-failure -j "$(nproc)" "$@"
