#!/usr/bin/env bash
# Builds the Debian package in a scratch folder, unpacks it with dpkg-deb and checks that
# the programs, the menu entry, its icon, the metainfo, the unit and the man pages are
# where they belong, that the menu entry and the metainfo validate, and the dependencies.
#   check_package.sh BUILD_FOLDER DESKTOP_ID
set -euo pipefail
build="$1"
id="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/out/kvo7730_*.deb)"
root="$work/root"
dpkg-deb -x "$deb" "$root"

status=0
fail() { echo "$*"; status=1; }
entry="$root/usr/share/applications/$id.desktop"
metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
unit="$root/usr/lib/systemd/user/kvo7730d.service"
template="$root/usr/lib/systemd/user/kvo7730d@.service"
for path in usr/bin/kvo7730 usr/bin/kvo7730d usr/bin/kvo7730-setup usr/bin/kvo7730-config usr/bin/kvo7730-sim \
            "${entry#"$root"/}" "${metainfo#"$root"/}" "${unit#"$root"/}" "${template#"$root"/}" \
            usr/share/man/man1/kvo7730d.1.gz usr/share/man/man1/kvo7730-setup.1.gz usr/share/man/man1/kvo7730-config.1.gz \
            usr/share/bash-completion/completions/kvo7730-config usr/share/doc/kvo7730/copyright; do
  [ -f "$root/$path" ] || fail "missing: /$path"
done
# The menu entry names a program and an icon that the package holds, in every size.
[ -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || fail "Exec= names no packaged program"
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 22 24 32 48 64 128 256; do
  [ "$(file -b "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" | cut -d, -f2)" = " $size x $size" ] \
    || fail "no ${size}x$size icon $icon"
done
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches no $id.desktop"
grep -qx "ExecStart=/usr/bin/kvo7730d" "$unit" || fail "the unit starts $(grep ExecStart "$unit")"
grep -qx "ExecStart=/usr/bin/kvo7730d --instance %i" "$template" || fail "the template starts $(grep ExecStart "$template")"
desktop-file-validate "$entry" || fail "desktop-file-validate failed"
appstreamcli validate --no-net "$metainfo" > "$work/validate.log" || { cat "$work/validate.log"; fail "appstreamcli validate failed"; }
misplaced="$(dpkg-deb -c "$deb" | awk '$6 !~ /^\.\/(usr\/.*)?$/ || $6 ~ /^\.\/usr\/local\// {print $6}')"
[ -z "$misplaced" ] || fail "outside /usr or in /usr/local: $misplaced"
# Linked libraries come from dpkg-shlibdeps; Qt's plugins are named by hand.
depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libqt6serialport6 libqt6network6 libqt6charts6 libmosquitto1 libc6 qt6-qpa-plugins libqt6sql6-sqlite; do
  grep -q -E "(^|, )$package( |,|$)" <<< "$depends" || fail "Depends lacks $package: $depends"
done
exit $status
