#!/bin/sh
# Compares the engine's link scan with other crawlers on real sites and on
# synthetic ones, in one run, and prints the figures with their ratios.
#
#   bench/run_crawl_compare.sh [RUNS]
#
# Needs bench/setup_crawl_compare.sh (wget2 and the documentation sites).
# Sites: CMake's documentation (Sphinx), the libstdc++ manual and API
# reference (DocBook and Doxygen), cppreference (a wiki's export) and the
# synthetic 10,000- and 100,000-page sites of bench/site_generator.
#
# For each site, best of RUNS (3) runs, each a process of its own:
# - on disk: the link scan from the start page against
#   `grep -o 'href="[^"]*"'` over every page file of the site (the floor:
#   reading the files and finding the links, nothing more);
# - over HTTP from a local nginx, with C connections (4 by default, CONNECTIONS
#   to change it): the scan against `wget2 --spider -r` with C threads and
#   a parallel curl fetch of the site's page files (`xargs -P C`, 100
#   addresses a process, so that each keeps its connection);
# - over a link with a 63 ms round trip (bench/latency_proxy.py in front of
#   nginx; LATENCY_SITE, the Sphinx site by default), with 4, 8 and 16
#   connections, the scan against wget2 with as many threads: over plain
#   HTTP/1.1, and over HTTPS with HTTP/2 (nginx's own certificate, made
#   for the run and trusted by both crawlers through their CA file option).
# Times are wall seconds; CPU is user + system seconds of that best run; RSS
# is its peak resident set in MB. SITES_ONLY="name ..." runs those sites
# only; LATENCY=0 leaves the round-trip runs out.
# The machine may be busy: the load average is printed first.
set -eu
cd "$(dirname "$0")/.."
RUNS=${1:-3}
CONNECTIONS=${CONNECTIONS:-4}
LATENCY=${LATENCY:-1}
SITES_ONLY=${SITES_ONLY:-}
BUILD=build-bench
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_BUILD_TESTS=OFF \
  -DVELLUM_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target site_generator scan_bench >/dev/null
BIN="$PWD/$BUILD/IDE"

WORK=$(mktemp -d)
chmod 755 "$WORK"
NGINX_PID=""
PROXY_PID=""
cleanup() {
  for pid in $PROXY_PID $NGINX_PID; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# The synthetic sites, unless SITES_ONLY leaves them out.
for pages in 10000 100000; do
  case " ${SITES_ONLY:-synthetic-$pages} " in
    *" synthetic-$pages "*) "$BIN/site_generator" "$WORK/synthetic$pages" "$pages" >/dev/null ;;
  esac
done

# name folder start-page
SITES="sphinx /usr/share/doc/cmake-doc/html index.html
docbook-doxygen /usr/share/doc/gcc-12-base/libstdc++ index.html
wiki /usr/share/cppreference/doc/html en/index.html
synthetic-10000 $WORK/synthetic10000 index.htm
synthetic-100000 $WORK/synthetic100000 index.htm"

# nginx serves the whole file system read-only, one process, as this user:
# over HTTP/1.1 on PORT, over HTTPS with HTTP/2 on TLS_PORT.
free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
PORT=$(free_port)
TLS_PORT=$(free_port)
mkdir -p "$WORK/nginx/logs"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" -subj /CN=127.0.0.1 \
  -addext subjectAltName=IP:127.0.0.1 2>/dev/null
cat >"$WORK/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $WORK/nginx/body;
  proxy_temp_path $WORK/nginx/proxy;
  fastcgi_temp_path $WORK/nginx/fastcgi;
  uwsgi_temp_path $WORK/nginx/uwsgi;
  scgi_temp_path $WORK/nginx/scgi;
  types { text/html htm html; text/css css; image/png png; image/gif gif; }
  default_type application/octet-stream;
  # The generated pages of one size written within one second share an
  # ETag (nginx makes it of the time and the size): wget2 takes a page
  # whose ETag it has seen for one it read and skips it, and would read a
  # tenth of the synthetic sites.
  etag off;
  server { listen 127.0.0.1:$PORT; root /; }
  server {
    listen 127.0.0.1:$TLS_PORT ssl http2;
    ssl_certificate $WORK/cert.pem;
    ssl_certificate_key $WORK/key.pem;
    root /;
  }
}
CONF
nginx -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" &
NGINX_PID=$!
until ss -Hltn "sport = :$TLS_PORT" | grep -q LISTEN; do sleep 0.1; done
echo "Load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# timed OUT COMMAND...: runs COMMAND, leaves "seconds rss_mb cpu_seconds" in
# OUT.
timed() {
  timed_out=$1
  shift
  /usr/bin/time -f '%e %M %U %S' -o "$timed_out.time" "$@" >/dev/null 2>&1 || true
  # A command that fails has its status on a line in front.
  tail -n 1 "$timed_out.time" |
    awk '{ printf "%s %.1f %.2f\n", $1, $2 / 1024, $3 + $4 }' >"$timed_out"
}

# best OUT COMMAND...: the fastest of RUNS runs, as timed leaves it.
best() {
  out=$1
  shift
  i=0
  : >"$out.best"
  while [ "$i" -lt "$RUNS" ]; do
    timed "$out.run" "$@"
    cat "$out.run" >>"$out.best"
    i=$((i + 1))
  done
  sort -n "$out.best" | head -1 >"$out"
}

seconds() { cut -d' ' -f1 "$1"; }
rss() { cut -d' ' -f2 "$1"; }
cpu() { cut -d' ' -f3 "$1"; }
ratio() { echo "scale=2; $1 / $2" | bc; }


echo "| site | pages | scan on disk | grep floor | ratio | scan over HTTP, $CONNECTIONS connections | CPU | RSS | wget2, $CONNECTIONS threads | CPU | RSS | ratio | parallel curl | ratio |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
echo "$SITES" | while read -r name folder start; do
  if [ -n "$SITES_ONLY" ]; then
    case " $SITES_ONLY " in *" $name "*) ;; *) continue ;; esac
  fi
  [ -f "$folder/$start" ] || { echo "| $name | not installed (bench/setup_crawl_compare.sh) |"; continue; }
  find "$folder" -name '*.htm*' >"$WORK/$name.files"
  # Some page files have spaces in their names: addresses get them as %20,
  # and both lists are split at line ends only.
  sed "s| |%20|g; s|^|http://127.0.0.1:$PORT|" "$WORK/$name.files" >"$WORK/$name.urls"
  pages=$("$BIN/scan_bench" 0 "$folder/$start" | sed -n 's/.*pages=\([0-9]*\).*/\1/p')
  best "$WORK/disk" "$BIN/scan_bench" 0 "$folder/$start"
  best "$WORK/grep" sh -c "$(command -v xargs) -d '\\n' grep -o 'href=\"[^\"]*\"' <'$WORK/$name.files' | cat"
  url="http://127.0.0.1:$PORT$folder/$start"
  best "$WORK/http" "$BIN/scan_bench" 0 "$url" 0x06 "$CONNECTIONS"
  best "$WORK/wget2" wget2 --spider -r -l inf --no-robots --max-threads="$CONNECTIONS" -q \
    --no-host-directories -P "$WORK/wget2-out" "$url"
  best "$WORK/curl" sh -c "xargs -d '\\n' -P $CONNECTIONS -n 100 curl -s -g <'$WORK/$name.urls'"
  echo "| $name | $pages | $(seconds "$WORK/disk") s | $(seconds "$WORK/grep") s |" \
    "$(ratio "$(seconds "$WORK/disk")" "$(seconds "$WORK/grep")") |" \
    "$(seconds "$WORK/http") s | $(cpu "$WORK/http") s | $(rss "$WORK/http") MB |" \
    "$(seconds "$WORK/wget2") s | $(cpu "$WORK/wget2") s | $(rss "$WORK/wget2") MB | $(ratio "$(seconds "$WORK/http")" "$(seconds "$WORK/wget2")") |" \
    "$(seconds "$WORK/curl") s | $(ratio "$(seconds "$WORK/http")" "$(seconds "$WORK/curl")") |"
done

# The same crawl over a link with a 63 ms round trip, over HTTP/1.1 and
# over HTTPS with HTTP/2.
[ "$LATENCY" = 0 ] && exit 0
LATENCY_SITE=${LATENCY_SITE:-/usr/share/doc/cmake-doc/html/index.html}
for port in "$PORT" "$TLS_PORT"; do
  /usr/bin/python3 -u bench/latency_proxy.py "$port" 63 >"$WORK/proxy-$port.log" &
  PROXY_PID="$PROXY_PID $!"
done
slow_port() {
  until grep -q listening "$WORK/proxy-$1.log"; do sleep 0.1; done
  sed -n 's/listening on //p' "$WORK/proxy-$1.log"
}
SLOW_PORT=$(slow_port "$PORT")
SLOW_TLS_PORT=$(slow_port "$TLS_PORT")
echo
echo "Over a 63 ms round trip, $LATENCY_SITE:"
echo
echo "| protocol | connections | scan | CPU | wget2, as many threads | CPU | ratio |"
echo "|---|---|---|---|---|---|---|"
for protocol in HTTP/1.1 HTTP/2; do
  if [ "$protocol" = HTTP/2 ]; then
    url="https://127.0.0.1:$SLOW_TLS_PORT$LATENCY_SITE"
  else
    url="http://127.0.0.1:$SLOW_PORT$LATENCY_SITE"
  fi
  for connections in 4 8 16; do
    best "$WORK/slow" "$BIN/scan_bench" 0 "$url" 0x06 "$connections" "$WORK/cert.pem"
    best "$WORK/slow-wget2" wget2 --spider -r -l inf --no-robots --max-threads="$connections" -q \
      --ca-certificate="$WORK/cert.pem" --no-host-directories -P "$WORK/wget2-out" "$url"
    echo "| $protocol | $connections | $(seconds "$WORK/slow") s | $(cpu "$WORK/slow") s |" \
      "$(seconds "$WORK/slow-wget2") s | $(cpu "$WORK/slow-wget2") s |" \
      "$(ratio "$(seconds "$WORK/slow")" "$(seconds "$WORK/slow-wget2")") |"
  done
done
