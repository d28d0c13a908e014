#!/bin/sh
# Runs the update benchmark and writes its figures into bench/RESULTS.md
# (the section between the update markers; other sections are left alone).
#
#   bench/run_update_bench.sh [RUNS]
#
# Builds vellumark (and the configuration it reads) in Release, generates the 10,000-page site of
# bench/site_generator, serves it from a local nginx and scans it into a
# project. Then 1% of its pages (every 100th) get a new title, the site's
# sitemap.xml their new times as <lastmod>, and the changed site is taken
# into a copy of that project three times: by a full scan (scan --base), by
# an update that asks for every page (scan --update: the validators kept
# from the first scan, a 304 taken over unread) and by an update that
# trusts the site map (scan --update --trust-sitemap: only the pages the
# map dates after the kept copy are asked for). Each is the best of RUNS
# runs (3 by default), each from a fresh copy of the scanned project, timed
# around the whole command (project read and written included); bytes
# received are what nginx sent for the run ($bytes_sent: headers and
# bodies). The trees of the three must be the same.
#
# LATENCY=MS puts bench/latency_proxy.py between vellumark and nginx (a link
# with that round trip) and writes its own section (the update-latency
# markers); CONNECTIONS (4) is the scans' --connections.
set -eu
cd "$(dirname "$0")/.."
RUNS=${1:-3}
LATENCY=${LATENCY:-0}
CONNECTIONS=${CONNECTIONS:-4}
MARK=update
[ "$LATENCY" = 0 ] || MARK=update-latency
LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
BUILD=${BUILD:-build-bench}
LAUNCHER=""
if command -v ccache >/dev/null; then
  LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086 # LAUNCHER is two options or none
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF \
  -DVELLUM_BUILD_BENCH=ON $LAUNCHER >/dev/null
cmake --build "$BUILD" -j2 --target site_generator vellumark vellum_resources >/dev/null
BIN="$PWD/$BUILD/IDE"

WORK=$(mktemp -d)
NGINX_PID=""
PROXY_PID=""
cleanup() {
  for pid in $PROXY_PID $NGINX_PID; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

PAGES=10000
PORT=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$WORK/nginx/logs" "$WORK/site"
cat >"$WORK/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  log_format sent '\$status \$bytes_sent';
  access_log $WORK/nginx/logs/access.log sent;
  client_body_temp_path $WORK/nginx/body;
  proxy_temp_path $WORK/nginx/proxy;
  fastcgi_temp_path $WORK/nginx/fastcgi;
  uwsgi_temp_path $WORK/nginx/uwsgi;
  scgi_temp_path $WORK/nginx/scgi;
  types { text/html htm html; image/gif gif; application/xml xml; }
  default_type application/octet-stream;
  server { listen 127.0.0.1:$PORT; root $WORK/site; }
}
CONF
nginx -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" &
NGINX_PID=$!
until ss -Hltn "sport = :$PORT" | grep -q LISTEN; do sleep 0.1; done
# The site's address (in its site map too) is the proxy's when there is one.
SITE_PORT=$PORT
if [ "$LATENCY" != 0 ]; then
  /usr/bin/python3 -u bench/latency_proxy.py "$PORT" "$LATENCY" >"$WORK/proxy.log" &
  PROXY_PID=$!
  until grep -q listening "$WORK/proxy.log"; do sleep 0.1; done
  SITE_PORT=$(sed -n 's/listening on //p' "$WORK/proxy.log")
fi
SITE_URL="http://127.0.0.1:$SITE_PORT/"
"$BIN/site_generator" "$WORK/site" "$PAGES" 1 "$SITE_URL"
ACCESS="$WORK/nginx/logs/access.log"
URL="${SITE_URL}index.htm"
cd "$WORK"

"$BIN/vellumark" new scanned.bpj >/dev/null
"$BIN/vellumark" scan scanned.bpj --base "$URL" --connections "$CONNECTIONS" --quiet >/dev/null

# Every 100th page (99, 199, ...) gets a new title (and so a new size and time).
i=99
while [ "$i" -lt "$PAGES" ]; do
  page="site/s$(((i - 1) / 100))/p$i.htm"
  sed -i 's|<title>\([^<]*\)</title>|<title>\1 (changed)</title>|' "$page"
  i=$((i + 100))
done
"$BIN/site_generator" --map site "$PAGES" "$SITE_URL"

# run NAME ARGUMENTS...: the best of RUNS runs of vellumark on a fresh copy
# of the scanned project; sets SECONDS_NAME, BYTES_NAME, REQUESTS_NAME,
# NOT_MODIFIED_NAME and leaves the project as NAME.bpj.
run() {
  name=$1
  shift
  best=""
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    cp scanned.bpj "$name.bpj"
    before=$(wc -l <"$ACCESS")
    start=$(date +%s.%N)
    "$BIN/vellumark" scan "$name.bpj" "$@" --connections "$CONNECTIONS" --quiet >"$name.out"
    seconds=$(echo "$(date +%s.%N) - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$seconds < $best" | bc)" = 1 ]; then best=$seconds; fi
    i=$((i + 1))
  done
  tail -n +"$((before + 1))" "$ACCESS" >"$name.log"
  eval "SECONDS_$name=$best"
  eval "BYTES_$name=$(awk '{ sum += $2 } END { print sum }' "$name.log")"
  eval "REQUESTS_$name=$(wc -l <"$name.log")"
  eval "NOT_MODIFIED_$name=$(awk '$1 == 304' "$name.log" | wc -l)"
}

run full --base "$URL"
run update --update
run trusted --update --trust-sitemap
SAME=yes
for name in full update trusted; do "$BIN/vellumark" show "$name.bpj" >"$name.tree"; done
for name in update trusted; do cmp -s full.tree "$name.tree" || SAME=no; done

ratio() { printf '%.3f' "$(echo "$1 / $2" | bc -l)"; }
MACHINE="$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GB, Linux $(uname -r)"
SECTION="$WORK/section.md"
{
  echo "<!-- $MARK:begin -->"
  if [ "$LATENCY" = 0 ]; then
    echo "## Update from the site"
  else
    echo "### Over a $LATENCY ms round trip"
  fi
  echo
  echo "Run on $(date -u +%Y-%m-%d) by \`bench/run_update_bench.sh\` (Release build, best of $RUNS runs)"
  echo "on: $MACHINE. Load average (1, 5, 15 minutes) as it began: $LOAD."
  echo
  if [ "$LATENCY" != 0 ]; then
    echo "The same, with \`bench/latency_proxy.py\` between vellumark and nginx (a $LATENCY ms round trip)"
    echo "and $CONNECTIONS connections for every run:"
  else
    echo "The 10,000-page site of \`bench/site_generator\` from a local nginx, scanned into a project;"
    echo "then every 100th page (1%) got a new title, and its \`<lastmod>\` in the site's sitemap.xml"
    echo "the new time, and the changed site was taken into a copy of that project by a full scan and"
    echo "by the two kinds of update. Times are of the whole \`vellumark\` command (project read and"
    echo "saved included); bytes are what nginx sent (headers and bodies)."
  fi
  echo
  echo "| Run | Requests | 304 answers | Time | Time / full scan | Bytes received | Bytes / full scan |"
  echo "|---|---|---|---|---|---|---|"
  for name in full update trusted; do
    case $name in
      full) label="full scan (\`scan --base\`)" ;;
      update) label="update, every page asked (\`scan --update\`)" ;;
      *) label="update trusting the site map (\`scan --update --trust-sitemap\`)" ;;
    esac
    eval "seconds=\$SECONDS_$name bytes=\$BYTES_$name requests=\$REQUESTS_$name not_modified=\$NOT_MODIFIED_$name"
    echo "| $label | $requests | $not_modified | $(printf '%.2f' "$seconds") s | $(ratio "$seconds" "$SECONDS_full") | $bytes | $(ratio "$bytes" "$BYTES_full") |"
  done
  echo
  echo "Target: an update at most a tenth of the full scan in time and in bytes. The trees of both"
  echo "updates are the full scan's: $SAME. Reports: \`$(head -1 update.out)\` (every page asked),"
  echo "\`$(head -1 trusted.out)\` (site map trusted)."
  met() { if [ "$(echo "$1 <= 0.1 * $2" | bc -l)" = 1 ]; then echo met; else echo "not met"; fi; }
  echo "With the site map trusted the time target is $(met "$SECONDS_trusted" "$SECONDS_full"), the bytes"
  echo "target $(met "$BYTES_trusted" "$BYTES_full")."
  if [ "$LATENCY" = 0 ]; then
    echo
    echo "Asking for every page, a 304 saves the page's bytes and their parsing, not the request: on"
    echo "a local server, where a request costs about what a small page does, that update's time"
    echo "stays a large part of the full scan's. Trusting the site map, the pages it dates no later"
    echo "than the copy kept are not asked for at all; what is left is reading the map, the changed"
    echo "pages, and reading and writing the project."
    echo
    echo "Profile (perf, Release build, the update trusting the map; shares of its CPU time): the"
    echo "crawl about three tenths (taking the 9,900 unchanged pages over a tenth, the 103 requests"
    echo "and the pages read most of the rest); reading the 3.9 MB project with its kept scan"
    echo "(10,000 pages, 170,000 links) a little under a fifth and writing it a ninth; the site map,"
    echo "the merge and keying the addresses they share a fifth between them; copying the trees"
    echo "between the engine's forms and freeing the replaced scan a tenth; loading the program"
    echo "and its libraries a twelfth. How it got there, and the figures before and after, below."
  fi
  echo "<!-- $MARK:end -->"
} >"$SECTION"

cd - >/dev/null
RESULTS=bench/RESULTS.md
if grep -q "<!-- $MARK:begin -->" "$RESULTS"; then
  awk -v section="$SECTION" -v mark="$MARK" '
    $0 == "<!-- " mark ":begin -->" { while ((getline line < section) > 0) print line; skip = 1; next }
    $0 == "<!-- " mark ":end -->" { skip = 0; next }
    !skip { print }' "$RESULTS" >"$WORK/results.md"
  cp "$WORK/results.md" "$RESULTS"
else
  printf '\n' >>"$RESULTS"
  cat "$SECTION" >>"$RESULTS"
fi
cat "$SECTION"
