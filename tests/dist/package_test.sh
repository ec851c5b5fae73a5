#!/usr/bin/env bash
# Builds the Debian package from an existing build folder (no second build), unpacks it into a
# temporary root and checks what it installs: the programs run from there, the desktop entry,
# metadata and user service pass their validators, and lintian finds no error.
# Usage: package_test.sh BUILD_DIR VERSION. Exits 77 (skipped) without cpack or dpkg-deb.
set -euo pipefail
build="$1" version="$2"

for tool in cpack dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done
for tool in lintian desktop-file-validate appstreamcli systemd-analyze; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps installs it)"; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack did not build the package"
fi
deb="$work/out/nimbrix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"
[ "$(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" = "nimbrix $version" ] ||
  fail "package name or version: $(dpkg-deb -f "$deb" Package Version)"
# Dependencies found from the binaries.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"

root="$work/root"
dpkg-deb -x "$deb" "$root"

# The programs run from the unpacked root; --version and --help need no display.
got="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/nimbrix" --version)"
[ "$got" = "nimbrix $version" ] || fail "nimbrix --version said: $got"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/nimbrix" --help |
  grep -q '^  Conditions: ' || fail "nimbrix --help does not list the host roles"
"$root/usr/bin/nimbrix-host" --page /US/IL/Chicago.html --at 2026-01-05T15 >"$work/page.html" ||
  fail "nimbrix-host --page failed"
grep -q 'Chicago' "$work/page.html" || fail "the Chicago page does not name Chicago"

# One id for the entry, the icon and the metadata; the icon at every drawn size.
id=org.nimbrix.Nimbrix
for size in 16 32 48 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "icon $size: $(file "$icon")"
done
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "desktop entry icon"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "metadata lacks release $version"
file "$root/usr/share/nimbrix/screenshots/main-window.png" | grep -q 'PNG image data' ||
  fail "no picture of the main window"

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"

# The user service, checked with its program and manual page found in the unpacked root.
unit="$root/usr/lib/systemd/user/nimbrix-host.service"
grep -qx 'ExecStart=/usr/bin/nimbrix-host --quiet --listen 127.0.0.1:8079 --source auto' "$unit" ||
  fail "service ExecStart: $(grep ExecStart "$unit")"
mkdir -p "$work/unit" && mkdir -m 0700 "$work/run"
sed "s#^ExecStart=/#ExecStart=$root/#" "$unit" >"$work/unit/nimbrix-host.service"
MANPATH="$root/usr/share/man" XDG_RUNTIME_DIR="$work/run" \
  systemd-analyze --user verify "$work/unit/nimbrix-host.service" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "systemd-analyze verify"; }
[ ! -s "$work/verify.log" ] || { cat "$work/verify.log"; fail "systemd-analyze verify warned"; }

lintian_status=0
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
echo "package $(basename "$deb") passes"
