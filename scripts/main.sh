#!/bin/sh
# Sets everything up and runs the main job on the bundled example.
set -eu
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF
cmake --build build

echo "libvellum built: build/IDE/libvellum.so, exporting:"
nm -D --defined-only build/IDE/libvellum.so | awk '{print "  " $3}'
