#!/usr/bin/env bash
# Builds the Debian package from the release build (cpack -G DEB), checks
# its contents and declared dependencies, unpacks it into a scratch root and
# runs the unpacked vxtool; lintian checks it where installed.
# Usage: scripts/check_package.sh [BUILD_DIR]   (default build/release)
# Exits 77 (a skipped test for ctest) without dpkg-deb or dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)

for tool in dpkg-deb dpkg-shlibdeps cpack; do
  if ! command -v "$tool" >/dev/null; then
    echo "package: $tool not installed, skipped" >&2
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >"$work/cpack.log") ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/*.deb)

status=0
contents=$(dpkg-deb --contents "$deb")
for file in ./usr/bin/dizeridiv ./usr/bin/vxtool \
            ./usr/share/applications/dizeridiv.desktop \
            ./usr/share/mime/packages/dizeridiv-vxp.xml \
            ./usr/lib/libvx_report.a ./usr/include/dizeridiv/report/report.h \
            ./usr/lib/cmake/DIZEridiv/DIZEridivConfig.cmake; do
  if ! grep -qF " $file" <<<"$contents"; then
    echo "package: $file missing" >&2
    status=1
  fi
done
depends=$(dpkg-deb --field "$deb" Depends)
for dependency in libqt6core6 libqt6gui6 libqt6sql6-sqlite fonts-liberation2; do
  if ! grep -q "$dependency" <<<"$depends"; then
    echo "package: no dependency on $dependency ($depends)" >&2
    status=1
  fi
done

dpkg-deb -x "$deb" "$work/root"
if ! QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/vxtool" sample -o "$work/sample.vxp" ||
   ! QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/vxtool" info "$work/sample.vxp" |
     grep -q '^pages: 3$'; then
  echo "package: the unpacked vxtool does not run" >&2
  status=1
fi
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" || true
fi
exit $status
