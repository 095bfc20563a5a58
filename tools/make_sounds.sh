#!/bin/bash
# Remakes every recording in assets/sounds/ and assets/ding.wav, byte for byte.
# Speech: flite's US English voice "slt" (Debian main) and svox pico's German voice
# (fetched privately, see fetch_pico); effects: sox (always -R, so it never dithers
# at random) and rubberband; synthesised sounds: tools/sfx.py; loudness:
# tools/level_sounds.py. The build uses the committed files and needs none of these.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$root/assets/sounds
mkdir -p "$out"

need=()
command -v sox >/dev/null || need+=(sox)
command -v rubberband >/dev/null || need+=(rubberband-cli)
command -v flite >/dev/null || need+=(flite)
/usr/bin/python3 -c 'import numpy' 2>/dev/null || need+=(python3-numpy)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/raw" "$work/done"

# svox pico lives in Debian's non-free section, which this machine's apt does not
# list. It is fetched at a pinned version into a private folder with a private
# sources list and apt state; the system's apt configuration is never touched.
pico_version=1.0+git20130326-13
pico=${VURUZ_PICO_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vuruz-sounds/pico-$pico_version}
fetch_pico() {
  [ -x "$pico/pico2wave" ] && return
  local a=$pico.apt
  rm -rf "$a" "$pico"
  mkdir -p "$a/lists/partial" "$a/archives/partial" "$a/debs" "$pico/root"
  echo 'deb http://deb.debian.org/debian bookworm main non-free' >"$a/sources.list"
  touch "$a/status"
  local opts=(-o "Dir::Etc::sourcelist=$a/sources.list" -o Dir::Etc::sourceparts=/nonexistent
              -o "Dir::State=$a" -o "Dir::State::status=$a/status" -o "Dir::Cache=$a"
              -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  (cd "$a/debs" && apt-get "${opts[@]}" download -qq libttspico-utils="$pico_version" \
    libttspico0="$pico_version" libttspico-data="$pico_version" libpopt0)
  for deb in "$a/debs"/*.deb; do dpkg -x "$deb" "$pico/root"; done
  # pico2wave looks for its voices in one fixed folder; a private copy looks
  # in ./lang/ instead (same length, so the binary stays intact otherwise).
  /usr/bin/python3 - "$pico" <<'EOF'
import sys
d = sys.argv[1]
b = open(d + "/root/usr/bin/pico2wave", "rb").read()
old, new = b"/usr/share/pico/lang/", b"././././././././lang/"
assert b.count(old) == 1 and len(old) == len(new)
open(d + "/pico2wave", "wb").write(b.replace(old, new))
EOF
  chmod +x "$pico/pico2wave"
  rm -rf "$a"
}

# german SPEED PITCH TEXT OUT, english SPEED PITCH TEXT OUT: speed and pitch in
# percent of the voice's own (flite's voice keeps its own pitch).
german() {
  (cd "$pico/root/usr/share/pico" &&
    LD_LIBRARY_PATH=$pico/root/usr/lib/x86_64-linux-gnu "$pico/pico2wave" -l de-DE -w "$4" \
      "<speed level=\"$1\"><pitch level=\"$2\">$3</pitch></speed>")
}
english() {
  flite -voice slt --setf duration_stretch="$(awk -v s="$1" 'BEGIN { printf "%.3f", 100 / s }')" \
    -t "$3" -o "$4"
}

# Every spoken file: name, exact length in samples, speed and pitch (percent), text.
# English at 44100 Hz, German at 22050 Hz; the sample counts keep the game's pace.
english_lines=(
  "FLICK-IT|17571|100|100|Flick it!"
  "SPIN-IT|17978|100|100|Spin it!"
  "TWIST-IT|17589|100|100|Twist it!"
  "PULL-IT|15347|100|100|Pull it!"
  "ZOK-IT|17517|100|100|Zock it!"
  "NOTGOOD|37846|80|100|Not good!"
  "DOITBETTER|84728|80|100|Come on, you can do it better!"
  "OHBOY|34508|80|100|Oh boy!"
  "AH-NO|32694|80|100|Ah, no!"
  "EN_SORRY|17355|100|100|Sorry!"
  "EN_GAMEOVER|32522|90|100|Game over!"
)
# Loan words are spelt the way a German says them, and "Rolln" as a German calls it
# out, so the German voice gets them right.
german_lines=(
  "CMDVM_TIPPEN|8271|100|108|Tippen!"
  "CMDVM_ROLLEN|8615|100|108|Rolln!"
  "CMDVM_DREHEN|10636|100|108|Drehen!"
  "CMDVM_ZIEHEN|8166|100|108|Ziehen!"
  "CMDVM_KLOPFEN|10910|100|108|Klopfen!"
  "SONICHT|17345|85|100|So nicht!"
  "MACHSBESSER|39355|65|100|Komm schon, machs besser!"
  "OHMANN|17705|80|100|Oh Mann!"
  "OHNEIN|21259|80|100|Oh nein!"
  "SORRY|14165|90|105|Sorri!"
  "SOUNDMODUS|20263|90|105|Saundmodus!"
  "VOICEMODUS|18418|90|105|Weuss-Modus!"
  "SOLO|11331|95|105|Solo!"
  "GAMEOVER|15193|100|100|Spiel vorbei!"
)

# Voice polish: take out rumble and add a little presence; no reverb and no
# compression, which smear the gaps that make stop consonants audible.
polish=(highpass 90 equalizer 3000 1.2q +2)
trim_quiet=(silence 1 0.005 -45d reverse silence 1 0.005 -45d reverse)
lead=0.006

# clean OUT RAW RATE: trims and polishes a raw take at the given rate and
# prints its length in seconds.
clean() {
  sox -V1 -R "$2" -c 1 -b 16 "$1" norm -3 "${trim_quiet[@]}" "${polish[@]}" rate -v "$3" norm -3
  soxi -D "$1"
}

# say VOICE NAME RATE SAMPLES SPEED PITCH TEXT: reads the text, then reads it once
# more at the pace that fills the slot (92 %), so a remark is read slower instead
# of trailing off into silence and a command briskly instead of being squeezed.
# Only what still overruns is taken up by rubberband's pitch-keeping stretch.
say() {
  local voice=$1 name=$2 rate=$3 samples=$4 speed=$5 pitch=$6 text=$7
  local room have tempo
  room=$(awk -v n="$samples" -v r="$rate" -v lead=$lead 'BEGIN { printf "%.4f", n / r - lead - 0.015 }')
  "$voice" "$speed" "$pitch" "$text" "$work/$name.raw.wav"
  have=$(clean "$work/$name.a.wav" "$work/$name.raw.wav" "$rate")
  speed=$(awk -v s="$speed" -v h="$have" -v room="$room" \
    'BEGIN { v = s * h / (0.92 * room); if (v < 55) v = 55; if (v > 140) v = 140; printf "%.0f", v }')
  "$voice" "$speed" "$pitch" "$text" "$work/$name.raw.wav"
  have=$(clean "$work/$name.a.wav" "$work/$name.raw.wav" "$rate")
  tempo=$(awk -v h="$have" -v room="$room" 'BEGIN { t = h / room; if (t < 1.0) t = 1.0; printf "%.4f", t }')
  printf '%-14s speed %3s%%, spoken %5.0f ms, room %5.0f ms, stretch %s\n' "$name" "$speed" \
    "$(awk -v h="$have" 'BEGIN { print h * 1000 }')" "$(awk -v h="$room" 'BEGIN { print h * 1000 }')" "$tempo"
  if [ "$tempo" != "1.0000" ]; then
    rubberband -q -3 -T "$tempo" "$work/$name.a.wav" "$work/$name.b.wav" >/dev/null 2>&1
  else
    cp "$work/$name.a.wav" "$work/$name.b.wav"
  fi
  # The take starts and ends where speech does: fade both edges so neither clicks.
  sox -V1 -R "$work/$name.b.wav" -b 16 "$work/raw/$name.wav" fade h 0.005 -0 0.012 \
    pad $lead 2 trim 0 "${samples}s"
}

fetch_pico
for entry in "${english_lines[@]}"; do
  IFS='|' read -r name samples speed pitch text <<<"$entry"
  say english "$name" 44100 "$samples" "$speed" "$pitch" "$text"
done
for entry in "${german_lines[@]}"; do
  IFS='|' read -r name samples speed pitch text <<<"$entry"
  say german "$name" 22050 "$samples" "$speed" "$pitch" "$text"
done

/usr/bin/python3 "$here/sfx.py" "$work/raw"
/usr/bin/python3 "$here/level_sounds.py" "$work/done" "$work/raw"/*.wav
for f in "$work/done"/*.wav; do
  name=$(basename "$f" .wav)
  case $name in
    ding) cp "$f" "$root/assets/ding.wav" ;;
    *) cp "$f" "$out/$name.wav" ;;
  esac
done

echo "made $(ls "$out"/*.wav | wc -l) recordings in $out and $root/assets/ding.wav"
/usr/bin/python3 "$here/check_sounds.py" "$root/assets"
