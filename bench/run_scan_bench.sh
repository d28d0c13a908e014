#!/bin/sh
# Runs the scan benchmarks and writes their figures into bench/RESULTS.md
# (the section between the scan markers; other sections are left alone).
#
#   bench/run_scan_bench.sh [RUNS]
#
# With BEFORE set to the scan_bench of an earlier build, its HTTP crawl of
# the same site is measured too, as a row of its own named by BEFORE_LABEL.
#
# Builds the engine in Release, generates synthetic sites of 1,000, 10,000
# and 100,000 pages, scans each from local disk in navigation mode and in
# folder mode, then serves the 10,000-page site from a local nginx and crawls
# it over HTTP: one connection at a time and several (the default), with
# `wget --spider -r` on the same site and a parallel fetch of the same pages
# with curl (`xargs -P 8`, 100 addresses a process, so that each keeps its
# connection), the practical floor, in the same run for comparison. Each scan is the best of RUNS runs (3 by default), each run a
# process of its own, so that its peak resident set is its own.
set -eu
cd "$(dirname "$0")/.."
RUNS=${1:-3}
BUILD=build-bench
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF \
  -DVELLUM_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target site_generator scan_bench >/dev/null
BIN="$BUILD/IDE"

WORK=$(mktemp -d)
NGINX_PID=""
cleanup() {
  if [ -n "$NGINX_PID" ]; then kill "$NGINX_PID" 2>/dev/null || true; wait "$NGINX_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# field NAME LINE: the value of NAME=value in a line of scan_bench.
field() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# best MODE BASE [FLAGS]: the scan_bench line of the fastest of RUNS runs.
best() {
  best_line=""
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    line=$("$BIN/scan_bench" "$@")
    if [ -z "$best_line" ] || [ "$(echo "$(field seconds "$line") < $(field seconds "$best_line")" | bc)" = 1 ]; then
      best_line=$line
    fi
    i=$((i + 1))
  done
  echo "$best_line"
}

row() {  # row LABEL LINE
  printf '| %s | %s | %s s | %s MB | %s |\n' "$1" "$(field pages "$2")" "$(field seconds "$2")" \
    "$(field peak_rss_mb "$2")" "$(field pages_per_second "$2")"
}

TABLE="$WORK/table.md"
: >"$TABLE"
for pages in 1000 10000 100000; do
  "$BIN/site_generator" "$WORK/site$pages" "$pages"
  navigation=$(best 0 "$WORK/site$pages/index.htm")
  folder=$(best 1 "$WORK/site$pages/")
  row "navigation, $pages pages" "$navigation" >>"$TABLE"
  row "folder, $pages pages" "$folder" >>"$TABLE"
  eval "NAVIGATION_$pages=$(field seconds "$navigation")"
  eval "FOLDER_$pages=$(field seconds "$folder")"
  eval "NAVIGATION_RSS_$pages=$(field peak_rss_mb "$navigation")"
done

# The 10,000-page site over HTTP from nginx (which cannot pick its own port).
PORT=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$WORK/nginx/logs"
cat >"$WORK/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  access_log $WORK/nginx/logs/access.log;
  client_body_temp_path $WORK/nginx/body;
  proxy_temp_path $WORK/nginx/proxy;
  fastcgi_temp_path $WORK/nginx/fastcgi;
  uwsgi_temp_path $WORK/nginx/uwsgi;
  scgi_temp_path $WORK/nginx/scgi;
  types { text/html htm html; image/gif gif; }
  default_type application/octet-stream;
  server { listen 127.0.0.1:$PORT; root $WORK/site10000; }
}
CONF
nginx -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" &
NGINX_PID=$!
until ss -Hltn "sport = :$PORT" | grep -q LISTEN; do sleep 0.1; done
ACCESS="$WORK/nginx/logs/access.log"
URL="http://127.0.0.1:$PORT/index.htm"

requests_since() { echo $(($(wc -l <"$ACCESS") - $1)); }

# Each run is a fresh process with an empty page cache, so each fetches the
# whole site; the request count is that of one run.
before=$(wc -l <"$ACCESS")
line=$(best 0 "$URL")
row "HTTP navigation, 10000 pages (arguments ignored)" "$line" >>"$TABLE"
HTTP_REQUESTS=$(($(requests_since "$before") / RUNS))
HTTP_SECONDS=$(field seconds "$line")

line=$(best 0 "$URL" 0x06 1)
row "HTTP navigation, 10000 pages, one connection" "$line" >>"$TABLE"
HTTP_ONE_SECONDS=$(field seconds "$line")

if [ -n "${BEFORE:-}" ]; then
  AFTER_BIN=$BIN
  BIN=$(dirname "$BEFORE")
  line=$(best 0 "$URL")
  BIN=$AFTER_BIN
  row "HTTP navigation, 10000 pages, ${BEFORE_LABEL:-before}" "$line" >>"$TABLE"
fi

# The floor: the same pages fetched by curl, eight processes at once.
(cd "$WORK/site10000" && find . -name '*.htm' | sed "s|^\./|http://127.0.0.1:$PORT/|") >"$WORK/urls.txt"
CURL_SECONDS=""
i=0
while [ "$i" -lt "$RUNS" ]; do
  start=$(date +%s.%N)
  xargs -P 8 -n 100 curl -s <"$WORK/urls.txt" >/dev/null
  seconds=$(echo "$(date +%s.%N) - $start" | bc)
  if [ -z "$CURL_SECONDS" ] || [ "$(echo "$seconds < $CURL_SECONDS" | bc)" = 1 ]; then CURL_SECONDS=$seconds; fi
  i=$((i + 1))
done
printf '| xargs -P 8 curl, the same 10000 pages | 10000 requests | %.3f s | - | %.0f requests/s |\n' \
  "$CURL_SECONDS" "$(echo "10000 / $CURL_SECONDS" | bc -l)" >>"$TABLE"

before=$(wc -l <"$ACCESS")
line=$(best 0 "$URL" 0x02)
row "HTTP navigation, 10000 pages (arguments kept)" "$line" >>"$TABLE"
HTTP_ARGS_REQUESTS=$(($(requests_since "$before") / RUNS))
HTTP_ARGS_SECONDS=$(field seconds "$line")

before=$(wc -l <"$ACCESS")
start=$(date +%s.%N)
/usr/bin/time -f '%M' -o "$WORK/wget.rss" wget --spider -r -l inf -nv -nd -e robots=off \
  -P "$WORK/wget" "$URL" >"$WORK/wget.log" 2>&1 || true
WGET_SECONDS=$(echo "$(date +%s.%N) - $start" | bc)
WGET_REQUESTS=$(requests_since "$before")
WGET_RSS=$(echo "scale=1; $(tail -1 "$WORK/wget.rss") / 1024" | bc)
printf '| wget --spider -r, 10000 pages | %s requests | %.3f s | %s MB | %.0f requests/s |\n' \
  "$WGET_REQUESTS" "$WGET_SECONDS" "$WGET_RSS" "$(echo "$WGET_REQUESTS / $WGET_SECONDS" | bc -l)" >>"$TABLE"

MACHINE="$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GB, Linux $(uname -r)"
SECTION="$WORK/section.md"
{
  echo "<!-- scan:begin -->"
  echo "## Site scan"
  echo
  echo "Run on $(date -u +%Y-%m-%d) by \`bench/run_scan_bench.sh\` (Release build, best of $RUNS runs"
  echo "for the engine's scans, one run of wget) on: $MACHINE."
  echo "The machine was shared with other work while it ran."
  echo
  echo "Sites from \`bench/site_generator\` (about 2.5 kB a page, 17 links each, 100 pages a"
  echo "folder). Local scans read the pages from disk (warm file cache); the HTTP rows crawl the"
  echo "10,000-page site from a local nginx. Peak RSS is that of the whole scanning process."
  echo
  echo "| Scan | Pages | Time | Peak RSS | Pages/s |"
  echo "|---|---|---|---|---|"
  cat "$TABLE"
  echo
  echo "Targets: 10,000 pages in navigation mode under 3 s ($NAVIGATION_10000 s) and in folder mode"
  echo "under 2 s ($FOLDER_10000 s); from 10,000 to 100,000 pages the time grows"
  echo "$(echo "scale=1; $NAVIGATION_100000 / $NAVIGATION_10000" | bc) times (navigation) and"
  echo "$(echo "scale=1; $FOLDER_100000 / $FOLDER_10000" | bc) times (folder) for 10 times the pages;"
  echo "peak RSS at 100,000 pages $NAVIGATION_RSS_100000 MB (limit 300 MB)."
  echo
  echo "Over HTTP the scan reads up to 4 pages at once from one server (HTTP keep-alive;"
  echo "HTTP/2 where offered): $HTTP_SECONDS s against $HTTP_ONE_SECONDS s one page at a time, and"
  echo "$(printf '%.2f' "$(echo "$HTTP_SECONDS / $CURL_SECONDS" | bc -l)") times the $(printf '%.3f' "$CURL_SECONDS") s of the parallel curl fetch of"
  echo "the same pages (target: within 1.5 times it, and under 1.5 s). The trees of the two"
  echo "crawls are the same; pages are parsed as they arrive and kept in memory, never in files."
  echo
  echo "Requests seen by nginx: the scan with arguments ignored $HTTP_REQUESTS, with arguments kept"
  echo "$HTTP_ARGS_REQUESTS ($HTTP_ARGS_SECONDS s); \`wget --spider -r -l inf\` $WGET_REQUESTS: it asks"
  echo "for every \`?view=print\` variant too, sends a HEAD before the GET of each page, and"
  echo "checks the pictures (missing here)."
  echo "<!-- scan:end -->"
} >"$SECTION"

RESULTS=bench/RESULTS.md
if [ ! -f "$RESULTS" ]; then printf '# Benchmark results\n\n' >"$RESULTS"; fi
if grep -q '<!-- scan:begin -->' "$RESULTS"; then
  awk -v section="$SECTION" '
    /<!-- scan:begin -->/ { while ((getline line < section) > 0) print line; skip = 1; next }
    /<!-- scan:end -->/ { skip = 0; next }
    !skip { print }' "$RESULTS" >"$WORK/results.md"
  cp "$WORK/results.md" "$RESULTS"
else
  cat "$SECTION" >>"$RESULTS"
fi
cat "$SECTION"
