#!/usr/bin/env bash
# usage: install_tree_test.sh CMAKE BUILD-DIR
# Fails on the first missing file, invalid desktop file or metainfo, or a
# program that would not find its partner or the manual once installed.
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

id=net.internetambit.Ambit
expected=(
  bin/ambit bin/skiff bin/ambit-catalog
  share/internet-ambit/docs/index.html
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/ambit.1 share/man/man1/skiff.1 share/man/man1/ambit-catalog.1
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=(share/icons/hicolor/${size}x${size}/apps/$id.png)
done
status=0
for f in "${expected[@]}"; do
  if [ ! -s "$prefix/$f" ]; then
    echo "missing from the install tree: $f" >&2
    status=1
  fi
done
for p in ambit skiff ambit-catalog; do
  [ -x "$prefix/bin/$p" ] || { echo "not executable: bin/$p" >&2; status=1; }
done
# A PNG of each size really has that size (bytes 16-23 of the header).
for size in 16 256; do
  f="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  width=$(od -An -tu1 -j16 -N4 "$f" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  [ "$width" = "$size" ] || { echo "$f is $width pixels wide" >&2; status=1; }
done
# The desktop file starts a program the install put on the prefix's PATH.
exec_line=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/share/applications/$id.desktop")
[ -x "$prefix/bin/$exec_line" ] || { echo "Exec=$exec_line is not installed" >&2; status=1; }
desktop-file-validate "$prefix/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null || {
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >&2
  status=1
}
# The installed ambit looks for its manual at bin/../share/internet-ambit/docs
# and for skiff beside itself: both relations hold in the tree.
[ -f "$prefix/bin/../share/internet-ambit/docs/index.html" ] || status=1
[ "$(dirname "$prefix/bin/ambit")" = "$(dirname "$prefix/bin/skiff")" ] || status=1
exit $status
