#!/bin/sh
# Remakes the game's pictures from the drawings in assets/src:
#   assets/toy.bmp    the toy window's picture (32-bit top-down BMP, key grey background,
#                     the drawing's coverage as the fourth byte for a soft edge)
#   assets/toy@2x.bmp the same at twice the size for high-density screens
#   assets/icon.ico   32x32 16-colour icon with transparency mask
#   assets/icon.png   256x256 RGBA icon for the desktop entry
#   assets/title.bmp  the options dialog's title picture (8-bit BMP)
#   assets/title@2x.png the same at twice the size
# Installs the renderer and fonts it needs when they are missing.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/assets/src"
out="$root/assets"

need=""
command -v rsvg-convert >/dev/null 2>&1 || need="$need librsvg2-bin"
/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1 || need="$need python3-pil"
for pkg in fonts-dejavu-core fonts-comic-neue fonts-lobster fonts-league-spartan; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need="$need $pkg"
done
if [ -n "$need" ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $need
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
py() { /usr/bin/python3 "$root/tools/render_art.py" "$@"; }

rsvg-convert "$src/toy.svg" -o "$tmp/toy.png"
rsvg-convert -z 2 "$src/toy.svg" -o "$tmp/toy2.png"
py toy "$tmp/toy.png" "$tmp/toy2.png" "$out/toy.bmp" "$out/toy@2x.bmp"

if [ -f "$src/icon.svg" ]; then
  rsvg-convert -w 32 -h 32 "$src/icon.svg" -o "$tmp/icon32.png"
  rsvg-convert -w 256 -h 256 "$src/icon.svg" -o "$tmp/icon256.png"
  py icon "$tmp/icon32.png" "$tmp/icon256.png" "$out/icon.ico" "$out/icon.png"
fi

if [ -f "$src/title.svg" ]; then
  rsvg-convert "$src/title.svg" -o "$tmp/title.png"
  rsvg-convert -z 2 "$src/title.svg" -o "$tmp/title2.png"
  py title "$tmp/title.png" "$tmp/title2.png" "$out/title.bmp" "$out/title@2x.png"
fi
