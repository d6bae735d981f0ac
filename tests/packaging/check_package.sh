#!/bin/sh
# Makes the Debian package with the README's command and checks it as Debian's checker,
# desktops, software centres and a player at a terminal see it; then installs into a
# prefix of one's own. Usage: check_package.sh BUILD_DIR WORK_DIR
set -u
build=$1 work=$2 status=0
fail() { echo "FAIL: $*"; status=1; }
rm -rf "$work" && mkdir -p "$work" || exit 1
# Whoever makes the package is its maintainer; a tester who has not said who they are
# signs with an address that is reserved for examples and reaches nobody.
export DEBFULLNAME="${DEBFULLNAME:-Pairon12 tester}" DEBEMAIL="${DEBEMAIL:-tester@example.org}"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" \
    || { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/package/pairon12_*_*.deb)
lintian --fail-on error,warning "$deb" || fail "lintian"
dpkg-deb -x "$deb" "$work/root" || exit 1
app=$(echo "$work"/root/usr/share/applications/*.desktop) meta=$(echo "$work"/root/usr/share/metainfo/*.xml)
out=$(desktop-file-validate "$app") && [ -z "$out" ] || fail "desktop file: $out"
# Errors and warnings, not infos: AppStream 1.0 calls the older readers' developer tag
# deprecated, and AppStream 0.16 calls the newer one unknown.
appstreamcli validate --no-net "$meta" >/dev/null \
    || fail "metainfo: $(appstreamcli validate --no-net "$meta")"
grep -q "<launchable type=\"desktop-id\">${app##*/}<" "$meta" \
    || fail "the store metadata launches no ${app##*/}"
icon=$(sed -n 's/^Icon=//p' "$app") exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$app")
[ -f "$work/root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon"
# Asked from a terminal with no display at all: an answer, not a window or a crash.
version=$(dpkg-deb -f "$deb" Version)
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/games/$exec" --version) \
    && [ "$out" = "Pairon12 $version" ] || fail "usr/games/$exec --version: '$out', the package is $version"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/games/$exec" --help) \
    && case $out in *--version*) ;; *) false ;; esac || fail "usr/games/$exec --help: '$out'"
# A prefix of one's own keeps bin/, which such prefixes put on PATH.
env -u DESTDIR cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
[ -x "$work/prefix/bin/$exec" ] || fail "the launcher's $exec is not in the prefix's bin/"
exit $status
