#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it and checks what a desktop expects of it.
# Usage: check_package.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/quarimo_*_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$work/root"

failures=0
expect() {
    if [ -e "$work/root$1" ]; then echo "ok: $1"; else echo "FAIL: missing $1"; failures=$((failures + 1)); fi
}
expect /usr/bin/quarimo
expect /usr/share/applications/org.quarimo.Quarimo.desktop
expect /usr/share/metainfo/org.quarimo.Quarimo.metainfo.xml
expect /usr/share/icons/hicolor/64x64/apps/quarimo.png
expect /usr/share/quarimo/rename.chm
expect /usr/share/man/man1/quarimo.1.gz

if file "$work/root/usr/share/icons/hicolor/64x64/apps/quarimo.png" | grep -q '64 x 64'; then
    echo "ok: icon is 64 x 64"
else
    echo "FAIL: icon size"; failures=$((failures + 1))
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in fonts-liberation2 qt6-qpa-plugins libqt6widgets6 libjpeg62-turbo libc6 libmount1 libudev1; do
    case "$depends" in
        *"$needed"*) echo "ok: depends on $needed" ;;
        *) echo "FAIL: no dependency on $needed"; failures=$((failures + 1)) ;;
    esac
done

desktop-file-validate "$work/root/usr/share/applications/org.quarimo.Quarimo.desktop" || {
    echo "FAIL: desktop-file-validate"; failures=$((failures + 1)); }
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.quarimo.Quarimo.metainfo.xml" || {
    echo "FAIL: appstreamcli validate"; failures=$((failures + 1)); }
man -l "$work/root/usr/share/man/man1/quarimo.1.gz" > /dev/null 2>&1 || zcat "$work/root/usr/share/man/man1/quarimo.1.gz" | grep -q '^.SH NAME' || {
    echo "FAIL: manual page"; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "package checks passed"
