#!/usr/bin/env bash
# Takes the README's screenshots: the toy on a desktop, the options dialog and
# the high-score window, from the real program on a private Xvfb server.
# Needs a built program (./scripts/build.sh), xdotool, openbox and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
binary=${1:-$root/build/src/vuruz}
out=$root/docs
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

for tool in xdotool xwininfo openbox import xsetroot; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x720x24 -nolisten tcp &
sleep 1
export DISPLAY=$display
openbox --sm-disable &
sleep 1
xsetroot -solid '#2f6f8f'

mkdir -p "$scratch/app" "$scratch/run"
chmod 700 "$scratch/run"
cp "$binary" "$scratch/app/vuruz"
printf '[Wendrake Vuruz Erireviru Simulator]\r\nTimer=800\r\nLanguage=0\r\n' >"$scratch/app/vuruz.ini"
XDG_RUNTIME_DIR=$scratch/run SDL_AUDIODRIVER=dummy "$scratch/app/vuruz" &
app=$!
toy=$(xdotool search --sync --onlyvisible --pid "$app" | head -n1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$toy")"
import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" "$out/toy.png"

# The right button on the toy's body opens the options.
xdotool mousemove --sync $((X + 300)) $((Y + 120)) click 3
sleep 1
dialog=$(xdotool search --onlyvisible --pid "$app" | grep -v "^$toy$" | head -n1)
import -window "$dialog" "$out/options.png"

# Absolute position of the client area; xdotool reports the frame's offset
# under a window manager.
X=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {print $4}')
Y=$(xwininfo -id "$dialog" | awk '/Absolute upper-left Y/ {print $4}')
xdotool mousemove --sync $((X + 224)) $((Y + 402)) click 1
table=$(xdotool search --sync --onlyvisible --name '^High Score$' | head -n1)
sleep 0.5
import -window "$table" "$out/highscore.png"
kill "$app"
echo "screenshots in $out"
