#!/bin/sh
# Sets everything up and runs the main job on the bundled example: builds
# vellumark, makes a project, scans the example site in both modes and
# generates the site map in all seven layouts, and the XML site map for
# search engines, into out/.
set -eu
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF
cmake --build build

vellumark=build/IDE/vellumark
rm -rf out
mkdir -p out/folder

# The folder layout: every page file of the site, by folder.
$vellumark new out/folder/example.bpj
$vellumark scan out/folder/example.bpj --folder examples/site --meta
$vellumark generate out/folder/example.bpj --type scripttree
echo

# The link layout: the pages as their links lead from the home page, in every
# layout the engine writes.
$vellumark new out/example.bpj
$vellumark set out/example.bpj title="Harbor Lane Bakery: site map" page-footer=on \
  site-url=https://www.harborlanebakery.example/
$vellumark scan out/example.bpj --base examples/site/index.html
for type in ul paged icontree scripttree combo index table; do
  $vellumark generate out/example.bpj --type "$type" --output "out/sitemap-$type.html"
done
# For search engines: the pages at the site's public address.
$vellumark generate out/example.bpj --type xml --output out/sitemap.xml

echo
echo "The site map of examples/site, in seven layouts:"
for type in ul paged icontree scripttree combo index table; do
  echo "  $(pwd)/out/sitemap-$type.html"
done
echo "and by folder: $(pwd)/out/folder/sitemap.html"
echo "For search engines: $(pwd)/out/sitemap.xml"
echo "The project: $(pwd)/out/example.bpj ('$vellumark show out/example.bpj' prints its tree)."
echo
echo "The same project in the desktop program: build/IDE/bramblel out/example.bpj"
