#!/usr/bin/env bash
# Takes the README's screenshots from the real program on a private Xvfb server:
# the toy on a desktop, the options dialog and the high-score window at 1x, and
# the toy and the options dialog again at 2x (QT_SCALE_FACTOR=2) as *@2x.png.
#
# Usage: take_screenshots.sh [program] [review-folder]
# With a review folder, the toy is also shot there at both scales on a light,
# a dark and a busy desktop, to look at its edge against each.
# Needs a built program (./scripts/build.sh), xdotool, openbox and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
binary=${1:-$root/build/src/vuruz}
review=${2:-}
out=$root/docs
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

for tool in xdotool xwininfo openbox import convert display xsetroot; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[[ -z $review ]] || mkdir -p "$review"

mkdir -p "$scratch/app" "$scratch/run"
chmod 700 "$scratch/run"
cp "$binary" "$scratch/app/vuruz"

# Sets the desktop behind the toy: a colour, or "busy" for a picture full of
# edges and colours, light and dark, that any fringe would show against.
desktop() {
  local width=$1 height=$2 kind=$3
  if [[ $kind == busy ]]; then
    [[ -f $scratch/busy-$width.png ]] ||
      convert -size "${width}x${height}" -seed 7 plasma:fractal \
        \( -size "${width}x${height}" pattern:checkerboard -scale 400% -level 0%,100% \) \
        -compose softlight -composite \
        \( -size "${width}x${height}" xc:none -strokewidth 4 \
           -stroke white -draw "line 0,0 $width,$height" \
           -stroke black -draw "line $width,0 0,$height" \) \
        -compose over -composite -depth 8 "$scratch/busy-$width.png"
    # display sets the root's background and leaves with status 1.
    display -window root "$scratch/busy-$width.png" || true
  else
    xsetroot -solid "$kind"
  fi
}

# The toy with a margin of desktop around it.
shoot_toy() {
  local file=$1 margin=$2
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$toy")"
  import -window root \
    -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))" \
    +repage "$file"
}

# One server and one run of the program at the given scale.
session() {
  local scale=$1 suffix=$2
  local width=$((1024 * scale)) height=$((720 * scale))
  ((scale == 1)) || height=1440
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp &
  local server=$!
  sleep 1
  export DISPLAY=$display
  openbox --sm-disable &
  local wm=$!
  sleep 1
  xsetroot -solid '#2f6f8f'

  printf '[Wendrake Vuruz Erireviru Simulator]\r\nTimer=800\r\nLanguage=0\r\n' \
    >"$scratch/app/vuruz.ini"
  XDG_RUNTIME_DIR=$scratch/run SDL_AUDIODRIVER=dummy QT_SCALE_FACTOR=$scale \
    "$scratch/app/vuruz" &
  local app=$!
  toy=$(xdotool search --sync --onlyvisible --pid "$app" | head -n1)
  sleep 1
  shoot_toy "$out/toy$suffix.png" $((20 * scale))

  if [[ -n $review ]]; then
    for kind in '#f4f4f0' '#101014' busy; do
      desktop "$width" "$height" "$kind"
      shoot_toy "$review/toy$suffix-${kind//#/}.png" $((40 * scale))
    done
    xsetroot -solid '#2f6f8f'
  fi

  # The right button on the toy's body opens the options.
  eval "$(xdotool getwindowgeometry --shell "$toy")"
  xdotool mousemove --sync $((X + 300 * scale)) $((Y + 120 * scale)) click 3
  sleep 1
  local dialog
  dialog=$(xdotool search --onlyvisible --pid "$app" | grep -v "^$toy$" | head -n1)
  import -window "$dialog" "$out/options$suffix.png"

  if ((scale == 1)); then
    # Absolute position of the client area; xdotool reports the frame's
    # offset under a window manager.
    X=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {print $4}')
    Y=$(xwininfo -id "$dialog" | awk '/Absolute upper-left Y/ {print $4}')
    xdotool mousemove --sync $((X + 224)) $((Y + 402)) click 1
    local table
    table=$(xdotool search --sync --onlyvisible --name '^High Score$' | head -n1)
    sleep 0.5
    import -window "$table" "$out/highscore.png"
  fi
  kill "$app" "$wm" "$server"
  wait "$app" "$wm" "$server" 2>/dev/null || true
}

session 1 ""
session 2 "@2x"
echo "screenshots in $out${review:+, review shots in $review}"
