#!/usr/bin/env bash
# cmake --install puts the programs, the desktop entry, the metainfo and the icon in place, and
# the desktop files pass their validators.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.brivel.TradeJournal
for f in bin/brivel bin/brivel-cli; do
    [ -x "$prefix/$f" ] || { echo "missing program $f"; exit 1; }
done
for f in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg; do
    [ -s "$prefix/$f" ] || { echo "missing file $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
echo "install ok"
