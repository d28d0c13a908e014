#!/bin/sh
# Sets everything up and runs every test: installs the dependencies, builds
# with AddressSanitizer and UndefinedBehaviorSanitizer, and runs ctest.
set -eu
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELLUM_SANITIZE=ON
cmake --build build-test
cd build-test
ctest --output-on-failure -j "$(nproc)" "$@"
