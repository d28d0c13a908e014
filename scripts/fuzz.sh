#!/bin/sh
# Builds one libFuzzer target with clang (AddressSanitizer, UBSan) into
# build-fuzz/ and runs it on its seed corpus for the given number of seconds.
# Not part of the test suite.
#
#   scripts/fuzz.sh TARGET [seconds]     (default 600 seconds)
#
# Targets: project_reader (project files), config (configuration files),
# page (the head and links of a crawled page), robots (robots.txt).
#
# New inputs go to build-fuzz/corpus/<target>/; a crashing input is saved as
# build-fuzz/crash-* (reproduce: build-fuzz/IDE/<target>_fuzzer FILE).
set -eu
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz.sh TARGET [seconds]}
seconds=${2:-600}
seeds="fuzz/corpus/${target%%_*}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLUM_FUZZ=ON -DVELLUM_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${target}_fuzzer"

mkdir -p "build-fuzz/corpus/$target"
dict=""
if [ -f "fuzz/$target.dict" ]; then dict="-dict=fuzz/$target.dict"; fi
# shellcheck disable=SC2086
exec "build-fuzz/IDE/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=16384 \
  -artifact_prefix=build-fuzz/ $dict "build-fuzz/corpus/$target" "$seeds"
