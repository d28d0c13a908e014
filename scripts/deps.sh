#!/bin/sh
# Installs every Debian package that the build, the programs, the tests and the
# benchmarks need. Idempotent and non-interactive; run as root or through sudo.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config git clang clang-format
  libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev zlib1g-dev libpsl-dev
  libmagickcore-6.q16-dev imagemagick
  qt6-base-dev qt6-base-dev-tools libgl-dev
  python3 python3-pyftpdlib
  libssh-dev libsecret-1-dev openssh-server openssh-client openssl python3-openssl
  tinyproxy ftp-proxy nginx-light wget
  chromium
  xvfb xauth
  binutils procps iproute2 util-linux bc time
  gcovr
  libxml2-utils
  default-jre-headless
  cmake-doc git-doc libstdc++-12-doc
  librsvg2-bin lintian desktop-file-utils appstream shared-mime-info xdg-utils
  libglib2.0-bin bash-completion man-db
"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

# Node.js and npm drive the browser tests; a machine that already has them
# (possibly from another source, which conflicts with Debian's npm) keeps them.
if ! command -v npm >/dev/null 2>&1; then missing="$missing nodejs npm"; fi

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -q
  # shellcheck disable=SC2086
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends $missing
fi

# The packaged daemons are not used as services: the tests start their own.
for svc in tinyproxy nginx ftp-proxy; do
  if command -v systemctl >/dev/null 2>&1; then
    $SUDO systemctl disable --now "$svc" >/dev/null 2>&1 || true
  fi
  $SUDO service "$svc" stop >/dev/null 2>&1 || true
done
