#!/bin/sh
# Renders the desktop icon at the sizes of the hicolor theme from our drawing
# assets/src/icon.svg into packaging/icons/<size>.png. The PNGs are committed,
# so building and packaging need no renderer; run this after changing the SVG.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
svg="$root/assets/src/icon.svg"
out="$root/packaging/icons"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq librsvg2-bin
fi

mkdir -p "$out"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$out/$size.png"
done
