#!/bin/sh
# Runs the browser tests on a generated site:
#   run.sh WORK SITE
# WORK receives playwright-core (the version package-lock.json pins; it
# downloads no browser: the tests drive Debian's /usr/bin/chromium), axe-core
# and vnu-jar (its install script, which would fetch a Java, is not run: the
# checker runs on Debian's default-jre-headless), the test files and the
# screenshots. npm ci runs again only when the lock changed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1
site=$2

mkdir -p "$work"
if [ ! -d "$work/node_modules" ] || ! cmp -s "$here/package-lock.json" "$work/package-lock.json"; then
  cp "$here/package.json" "$here/package-lock.json" "$work/"
  (cd "$work" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
# The tests import playwright-core from beside them.
cp "$here"/*.test.mjs "$work/"
SITE_DIR=$site SCREENSHOT_DIR=$work/screenshots exec node --test "$work"/*.test.mjs
