#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it and checks what a desktop and a
# distribution expect of it: lintian, the desktop entry and the AppStream data validate without an
# error or a warning.
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
expect /usr/share/quarimo/rename.chm
expect /usr/share/man/man1/quarimo.1.gz
expect /usr/share/doc/quarimo/copyright
expect /usr/share/doc/quarimo/changelog.gz
expect /usr/share/icons/hicolor/scalable/apps/quarimo.svg

for size in 16 24 32 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/quarimo.png
    expect "$icon"
    if file "$work/root$icon" | grep -q "PNG image data, $size x $size,"; then
        echo "ok: icon is $size x $size"
    else
        echo "FAIL: icon size of $icon"; failures=$((failures + 1))
    fi
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in fonts-liberation2 qt6-qpa-plugins libqt6widgets6 libjpeg62-turbo libc6 libmount1 libudev1; do
    case "$depends" in
        *"$needed"*) echo "ok: depends on $needed" ;;
        *) echo "FAIL: no dependency on $needed"; failures=$((failures + 1)) ;;
    esac
done

# Runs a validator; its failure, or any error or warning it prints, fails the check. Notes, hints
# and pedantic remarks are shown and pass.
validate() {
    local name=$1 out status=0
    shift
    out=$("$@" 2>&1) || status=$?
    [ -z "$out" ] || echo "$out"
    if [ "$status" -ne 0 ] || grep -Eq '^[EW]: |: (error|warning): ' <<< "$out"; then
        echo "FAIL: $name"; failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
}
validate desktop-file-validate desktop-file-validate "$work/root/usr/share/applications/org.quarimo.Quarimo.desktop"
validate appstreamcli appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/org.quarimo.Quarimo.metainfo.xml"
# lintian refuses to run as root unless told.
as_root=()
[ "$(id -u)" = 0 ] && as_root=(--allow-root)
validate lintian lintian "${as_root[@]}" --fail-on error,warning "$deb"
man -l "$work/root/usr/share/man/man1/quarimo.1.gz" > /dev/null 2>&1 || zcat "$work/root/usr/share/man/man1/quarimo.1.gz" | grep -q '^.SH NAME' || {
    echo "FAIL: manual page"; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "package checks passed"
