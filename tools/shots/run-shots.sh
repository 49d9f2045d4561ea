#!/usr/bin/env bash
# Renders every screen at 1x and 2x, light and dark, into OUTDIR.
# usage: tools/shots/run-shots.sh BUILD_DIR OUTDIR
set -euo pipefail
build="$1"
out="$2"
mkdir -p -- "$out"
tree="$(mktemp -d)"
trap 'rm -rf -- "$tree"' EXIT
"$build/tools/shots/plenwick-make-fixture" "$tree/fixture" 3000 >/dev/null
for scale in 1 2; do
  QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR="$scale" "$build/tools/shots/plenwick-shots" "$out" "$tree/fixture"
done
echo "Screens written to $out"
