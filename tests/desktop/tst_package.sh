#!/usr/bin/env bash
# The Debian packages, built from the build tree and unpacked with dpkg-deb -x
# into a folder: lintian finds no error, the desktop entry and the metainfo
# validate, and the unpacked programs run there, the client against the
# unpacked portal, with settings in the user's folder.
#   tst_package.sh SOURCE_DIR BUILD_DIR MEDIA_DIR
set -euo pipefail
src=$1 build=$2 media=$3
tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to $1 seconds for a command to succeed.
await() {
    local limit=$1; shift
    for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
    return 1
}

bash "$src/scripts/package.sh" --no-build --fast --build-dir "$build" --media "$media" --out "$tmp/dist"
client=$(echo "$tmp"/dist/zevalo-multimedia_*.deb)
portal=$(echo "$tmp"/dist/zevalo-portal_*.deb)

echo "== lintian"
lintian --fail-on error "$client" "$portal"

echo "== contents and control"
root=$tmp/root
dpkg-deb -x "$client" "$root"
dpkg-deb -x "$portal" "$root"
app=fr.zevalo.Multimedia
for f in usr/bin/zevalo usr/bin/zevalo-portal usr/share/zevalo/ruffle/ruffle.js \
    usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$app.svg usr/share/icons/hicolor/48x48/apps/$app.png \
    usr/share/man/man1/zevalo.1.gz usr/share/man/man1/zevalo-portal.1.gz \
    usr/lib/systemd/user/zevalo-portal.service usr/share/zevalo-portal/content/catalogue.json; do
    [ -e "$root/$f" ] || fail "$f missing"
done
[ -n "$(ls "$root/usr/share/zevalo-portal/content/generated")" ] || fail "no media in the portal package"
dpkg-deb -f "$client" Depends | grep -q 'libqt6webenginecore6' || fail "shared libraries missing from Depends"
dpkg-deb -f "$client" Depends | grep -q 'gstreamer1.0-plugins-good' || fail "engine plugins missing from Depends"
# The user unit is shipped, never enabled by the package.
[ -z "$(dpkg-deb -e "$portal" "$tmp/portal-control" && ls "$tmp/portal-control" | grep -E 'inst|rm')" ] \
    || fail "the portal package has maintainer scripts"

echo "== desktop entry and metainfo"
desktop-file-validate "$root/usr/share/applications/$app.desktop"
grep -qx 'Exec=zevalo' "$root/usr/share/applications/$app.desktop" || fail "Exec is not zevalo"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml"

echo "== the unpacked programs"
export XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state XDG_RUNTIME_DIR=$tmp/run
export DBUS_SESSION_BUS_ADDRESS=unix:path=$tmp/no-bus QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR"
# The portal finds its content where the package put it.
"$root/usr/bin/zevalo-portal" --listen 127.0.0.1:0 --log "$tmp/portal.log" >"$tmp/portal.out" 2>&1 &
pids+=($!)
await 20 grep -q 'listening on' "$tmp/portal.out" || fail "the portal did not start: $(cat "$tmp/portal.out")"
ZEVALO_PORTAL_HOST=$(sed -n 's#.*listening on http://\([^/]*\)/.*#\1#p' "$tmp/portal.out")
export ZEVALO_PORTAL_HOST
grep -q "200" <(curl -s -o /dev/null -w '%{http_code}' "http://$ZEVALO_PORTAL_HOST/exe/medias.php?t=4&colid") \
    || fail "the portal does not answer"

"$root/usr/bin/zevalo" >"$tmp/zevalo.log" 2>&1 &
client_pid=$!
pids+=("$client_pid")
# The version check comes after the connection test: the window has read the favourites.
await 120 grep -q 'c=version' "$tmp/portal.log" || fail "the client did not start: $(tail -5 "$tmp/zevalo.log")"
kill -TERM "$client_pid"
status=0
wait "$client_pid" || status=$?
[ "$status" = 0 ] || fail "the client ended with $status on SIGTERM"
config=$XDG_CONFIG_HOME/zevalo-multimedia/config.ini
grep -q '^\[FAVORIS\]' "$config" || fail "no settings written in $config"
[ ! -e "$root/usr/bin/config.ini" ] || fail "settings written beside the installed program"
[ -d "$XDG_STATE_HOME/zevalo-portal" ] || fail "the portal keeps no data in the user's state folder"
echo "package test passed"
