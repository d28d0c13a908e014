#!/bin/sh
# Installs what bench/run_crawl_compare.sh compares against and crawls:
# wget2 and the Debian documentation packages it uses as real sites
# (cmake-doc and libstdc++-12-doc are in scripts/deps.sh already, for the
# corpus tests). Benchmark only: CI does not run it.
set -eu
apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends \
  wget2 curl nginx-light bc cmake-doc libstdc++-12-doc cppreference-doc-en-html
