#!/bin/sh
# Line and branch coverage of the engine and vellumark by the whole test
# suite: builds with gcov instrumentation into build-coverage/, runs ctest
# (extra arguments go to it) and writes the report with gcovr: a summary on
# standard output, a page per file in build-coverage/coverage/index.html and
# the figures in build-coverage/coverage/summary.json.
set -eu
cd "$(dirname "$0")/.."

./scripts/deps.sh
flags="--coverage -fprofile-update=atomic"
cmake -S . -B build-coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
cmake --build build-coverage
# Counts from earlier runs go; so do the notes of objects that a moved or
# deleted source left behind, which gcovr would otherwise look for.
ninja -C build-coverage -t cleandead >/dev/null
find build-coverage -name '*.gcda' -delete
find build-coverage -name '*.gcno' | while read -r notes; do
  [ -e "${notes%.gcno}.o" ] || rm -f "$notes"
done
(cd build-coverage && ctest --output-on-failure -j "$(nproc)" "$@") || true

mkdir -p build-coverage/coverage
# Headers reached through a library's include scope (build-coverage/
# engine-scopes/LIBRARY/FOLDER/...) are the files of engine/FOLDER/: their
# counts are merged under that name. Branches the compiler adds for
# exceptions are not the code's own decisions.
gcovr --root . --filter 'engine/' --filter 'cli/' --object-directory build-coverage \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json build-coverage/coverage/raw.json build-coverage
sed -E 's#"build-coverage/engine-scopes/[a-z]+/#"engine/#g' build-coverage/coverage/raw.json \
  > build-coverage/coverage/merged.json
gcovr --root . --add-tracefile build-coverage/coverage/merged.json \
  --html-details build-coverage/coverage/index.html \
  --json-summary-pretty --json-summary build-coverage/coverage/summary.json --print-summary
