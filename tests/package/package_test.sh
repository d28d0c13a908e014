#!/bin/sh
# Installs the vellumark package with dpkg, runs what it installed from PATH
# (the programs, the library through pkg-config, the manual pages, the bash
# completion), opens a project through the desktop's MIME type as a double
# click in a file manager does, then purges the package and checks that the machine holds the
# same paths as before. A package that is installed already is left alone.
# Arguments: PACKAGE_FOLDER SOURCE_FOLDER; VELLUM_PACKAGE names the package
# instead (and then a missing package fails instead of skipping).
set -eu
folder=$1 source=$(cd "$2" && pwd)

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

deb=${VELLUM_PACKAGE:-}
if [ -z "$deb" ]; then
  deb=$(ls "$folder"/vellumark_*.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] || skip "no package in $folder (scripts/package.sh makes it)"
fi
[ -f "$deb" ] || fail "no package $deb"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
if dpkg-query -W -f='${db:Status-Status}' vellumark 2>/dev/null | grep -qv not-installed; then
  skip "a vellumark package is on this machine already; the test does not touch it"
fi

work=$(mktemp -d)
bramblel_pid=""
installed=""
cleanup() {
  if [ -n "$bramblel_pid" ]; then kill "$bramblel_pid" 2>/dev/null || true; fi
  if [ -n "$installed" ]; then dpkg --purge vellumark >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# Which of the package's paths (its folders included) exist before.
paths() {
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/*$' |
    while read -r path; do
      if [ -e "$path" ] || [ -L "$path" ]; then echo "there $path"; else echo "gone $path"; fi
    done
}
paths >"$work/before"
existing=$(sed -n 's/^there //p' "$work/before" | while read -r path; do
  if [ ! -d "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done)
[ -z "$existing" ] || fail "files of the package exist before it is installed: $existing"

installed=yes
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
dpkg -L vellumark | grep -qx /usr/bin/vellumark || fail "dpkg -L lists no /usr/bin/vellumark"

# Everything below runs as a user with a home of its own, from a folder
# outside the installation, without a display.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" && cd "$work"
unset TEMP TMPDIR XDG_CURRENT_DESKTOP DESKTOP_SESSION

[ "$(command -v vellumark)" = /usr/bin/vellumark ] || fail "vellumark is not /usr/bin/vellumark"
bramblel --version >version.txt 2>&1 || { cat version.txt; fail "bramblel --version"; }
grep -qx 'Installation: /usr/share/vellumark/' version.txt || { cat version.txt; fail "bramblel's installation"; }

# The settings: shipped, the administrator's (never written), the user's.
echo 'Proxy="admin.example" PortProxy=3128' >>/etc/vellumark/Vellum.cfg
cp /etc/vellumark/Vellum.cfg admin.cfg
vellumark config Proxy=user.example >/dev/null
vellumark config >settings.txt
cmp -s admin.cfg /etc/vellumark/Vellum.cfg || fail "/etc/vellumark/Vellum.cfg was written"
for line in 'ExtPage = *.htm;*.html;*.shtml;*.xhtml;*.php;*.asp;*.aspx;*.jsp' \
  'Proxy = user.example' 'PortProxy = 3128'; do
  grep -qxF "$line" settings.txt || { cat settings.txt; fail "settings: no '$line'"; }
done

# A project made, scanned and generated with the installed pictures.
cp -r "$source/examples/site" site
vellumark new site.bpj >/dev/null
vellumark scan site.bpj --folder site --quiet >/dev/null
vellumark generate site.bpj --type icontree --output map/sitemap.html >/dev/null
[ -n "$(ls map/*/*.gif 2>/dev/null)" ] || fail "no tree pictures beside the generated page"

# The engine's modules load from the installation: an SFTP upload and an FTP
# one with its password in the keyring get as far as the network (closed
# ports) and the session bus (none there).
vellumark target site.bpj add --sftp 127.0.0.1 --port 1 >/dev/null
vellumark target site.bpj add --ftp 127.0.0.1:1 --login user --password-from keyring >/dev/null
DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus vellumark upload site.bpj </dev/null >upload.txt 2>&1 &&
  fail "an upload to closed ports succeeded"
for line in "'127.0.0.1' - transfer failed: Connection refused" \
  "'127.0.0.1' - the desktop keyring cannot be used: Could not connect"; do
  grep -qF "$line" upload.txt || { cat upload.txt; fail "upload: no '$line'"; }
done

# The library through its header and pkg-config file.
# shellcheck disable=SC2046 # the flags are words
cc -o probe "$source/tests/config/config_probe.c" $(pkg-config --cflags --libs vellum)
./probe >probe.txt || { cat probe.txt; fail "the probe linked against libvellum"; }
# A program outside the installation has its root in its own folder.
grep -qx "root: $work/" probe.txt || { cat probe.txt; fail "the probe's root"; }
# It measures a picture that only ImageMagick reads (a GIF cut short), in a
# scheme below that root, through the installed module and without a word.
mkdir -p Resource/Schemes/cut/img
head -c -1 /usr/share/vellumark/Resource/Schemes/green/img/green0.gif >Resource/Schemes/cut/img/cut.gif
echo 'Type = 1 Pict = "cut.gif"' >Resource/Schemes/cut/cut.scm
LD_DEBUG=files ./probe >probe.txt 2>loaded.txt || { cat probe.txt; fail "the probe with a scheme"; }
grep -Eq "init: (/usr)?/lib/[^ ]*/vellum/magick\.so$" loaded.txt ||
  fail "the probe loaded no installed ImageMagick module"
grep '^info:' probe.txt && fail "the probe reported the picture"

# The manual pages and the completion.
for page in vellumark bramblel; do
  warnings=$(MANWIDTH=80 man --warnings "$page" 2>&1 >/dev/null) || fail "man $page"
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
completion=$(bash -c '. /usr/share/bash-completion/bash_completion
  _completion_loader vellumark
  COMP_WORDS=(vellumark scan site.bpj --fol); COMP_CWORD=3; COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}; _vellumark; echo "${COMPREPLY[*]}"')
[ "$completion" = --folder ] || fail "completion of 'vellumark scan site.bpj --fol': '$completion'"

# The desktop: the files are valid, the project is of the package's type and
# opening it as a double click does starts the installed bramblel with it.
desktop-file-validate /usr/share/applications/org.vellumark.Bramblel.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.vellumark.Bramblel.metainfo.xml >/dev/null
type=$(gio info -a standard::content-type site.bpj | sed -n 's/^ *standard::content-type: //p')
[ "$type" = application/x-vellumark-project ] || fail "site.bpj is of type '$type'"
[ "$(xdg-mime query default application/x-vellumark-project)" = org.vellumark.Bramblel.desktop ] ||
  fail "no default program for the project type"
# gio types the file by the MIME database as a file manager does; xdg-open
# without a display types it with file(1) and opens nothing.
gio open "$work/site.bpj" >open.log 2>&1 || { cat open.log; fail "gio open"; }
# The program it started: the one whose command line names this project.
for _ in $(seq 100); do
  for proc in /proc/[0-9]*; do
    if cat "$proc/cmdline" 2>/dev/null | tr '\0' ' ' | grep -qF "bramblel $work/site.bpj "; then
      bramblel_pid=${proc#/proc/}
    fi
  done
  [ -n "$bramblel_pid" ] && break
  sleep 0.1
done
[ -n "$bramblel_pid" ] || { cat open.log; fail "gio open started no bramblel with the project"; }
sleep 2
kill -0 "$bramblel_pid" || fail "bramblel ended at once"
kill "$bramblel_pid"
bramblel_pid=""

cd /
dpkg --purge vellumark >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
installed=""
dpkg-query -W -f='${db:Status-Status}' vellumark 2>/dev/null | grep -qv not-installed &&
  fail "vellumark is still known to dpkg"
paths >"$work/after"
diff "$work/before" "$work/after" || fail "the purge left the machine changed"
echo "package installed, used and purged: $deb"
