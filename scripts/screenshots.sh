#!/bin/sh
# Runs the window program under a virtual display (Xvfb) on the example
# project and saves a picture of the splash window, of the main window on
# every tab (the sixth once per output type) and of the about box into
# build/screenshots/. Look at them after every change to the windows.
set -eu
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF >/dev/null
cmake --build build

shots=build/screenshots
rm -rf "$shots"
mkdir -p "$shots"
vellumark=build/IDE/vellumark
$vellumark new "$shots/example.bpj" >/dev/null
$vellumark set "$shots/example.bpj" title="Harbor Lane Bakery: site map" >/dev/null
$vellumark scan "$shots/example.bpj" --base examples/site/index.html >/dev/null

xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/IDE/bramblel --screenshots "$shots" "$shots/example.bpj"
ls "$shots"/*.png
