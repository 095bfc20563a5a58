#!/bin/bash
# Remakes every recording in assets/sounds/ and assets/ding.wav, byte for byte.
# Speech: festival (US English HTS voice) and espeak-ng (German); effects: sox,
# always with -R so it never dithers at random; synthesised sounds: tools/sfx.py.
# The build uses the committed files and needs none of these tools.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$root/assets/sounds
mkdir -p "$out"

need=()
command -v sox >/dev/null || need+=(sox)
command -v espeak-ng >/dev/null || need+=(espeak-ng)
command -v text2wave >/dev/null || need+=(festival)
[ -d /usr/share/festival/voices/us/cmu_us_slt_arctic_hts ] || need+=(festvox-us-slt-hts)
command -v /usr/bin/python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every spoken file: name, exact length in samples, then the text.
# English at 44100 Hz, German at 22050 Hz; the sample counts keep the game's pace.
english=(
  "FLICK-IT|17571|Flick it!"
  "SPIN-IT|17978|Spin it!"
  "TWIST-IT|17589|Twist it!"
  "PULL-IT|15347|Pull it!"
  "ZOK-IT|17517|Zock it!"
  "NOTGOOD|37846|Not good!"
  "DOITBETTER|84728|Do it better!"
  "OHBOY|34508|Oh boy!"
  "AH-NO|32694|Ah, no!"
  "EN_SORRY|17355|Sorry!"
  "EN_GAMEOVER|32522|Game over!"
)
# Spelt the way a German says them, so the German voice gets the loan words right.
german=(
  "CMDVM_TIPPEN|8271|Tippen!"
  "CMDVM_ROLLEN|8615|Rollen!"
  "CMDVM_DREHEN|10636|Drehen!"
  "CMDVM_ZIEHEN|8166|Ziehen!"
  "CMDVM_KLOPFEN|10910|Klopfen!"
  "SONICHT|17345|So nicht!"
  "MACHSBESSER|39355|Machs besser!"
  "OHMANN|17705|Oh Mann!"
  "OHNEIN|21259|Oh nein!"
  "SORRY|14165|Sorri!"
  "SOUNDMODUS|20263|Saundmodus!"
  "VOICEMODUS|18418|Weusmodus!"
  "SOLO|11331|Solo!"
  "GAMEOVER|15193|Spiel vorbei!"
)

# Voice polish shared by both languages: trim the synthesiser's silences, take out
# rumble, tame the robotic edge, a touch of presence and gentle compression.
polish=(highpass 90 lowpass 7600 equalizer 250 1.2q -2 equalizer 3200 1.5q +2.5
        compand 0.004,0.12 -70,-70,-40,-28,-20,-14,0,-7 0 -90 0.004)
trim_quiet=(silence 1 0.008 -48d reverse silence 1 0.008 -48d reverse)

# speak NAME RATE SAMPLES RAW: turns a raw take into the finished, exact-length file.
speak() {
  local name=$1 rate=$2 samples=$3 raw=$4
  local lead=0.012 tail=0.07
  sox -R "$raw" -c 1 -e floating-point -b 32 "$work/$name.a.wav" norm -3 "${trim_quiet[@]}" "${polish[@]}" rate -v "$rate"
  local have
  have=$(soxi -D "$work/$name.a.wav")
  # Fit the words into the slot: speed up with a pitch-keeping stretch only when they
  # do not fit, never cut them.
  local tempo
  tempo=$(awk -v have="$have" -v n="$samples" -v r="$rate" -v lead=$lead -v tail=$tail \
    'BEGIN { room = n / r - lead - tail; t = have / room; if (t < 1.0) t = 1.0; printf "%.4f", t }')
  local stretch=()
  if [ "$tempo" != "1.0000" ]; then stretch=(tempo -s "$tempo"); fi
  sox -R "$work/$name.a.wav" -e floating-point -b 32 "$work/$name.b.wav" "${stretch[@]}" \
    pad $lead 0.5 reverb 18 60 35 100 8 -8 norm -1
  sox -R "$work/$name.b.wav" -e signed-integer -b 16 "$out/$name.wav" \
    trim 0 "${samples}s" fade h 0.004 "${samples}s" 0.03
}

for entry in "${english[@]}"; do
  IFS='|' read -r name samples text <<<"$entry"
  printf '%s\n' "$text" | text2wave -eval "(voice_cmu_us_slt_arctic_hts)" -o "$work/$name.raw.wav"
  speak "$name" 44100 "$samples" "$work/$name.raw.wav"
done

for entry in "${german[@]}"; do
  IFS='|' read -r name samples text <<<"$entry"
  espeak-ng -v de+m3 -p 62 -s 165 -a 160 -w "$work/$name.raw.wav" "$text"
  speak "$name" 22050 "$samples" "$work/$name.raw.wav"
done

/usr/bin/python3 "$here/sfx.py" "$work"
for f in "$work"/*.wav; do
  name=$(basename "$f" .wav)
  case $name in
    *.*) ;;
    ding) cp "$f" "$root/assets/ding.wav" ;;
    *) cp "$f" "$out/$name.wav" ;;
  esac
done

echo "made $(ls "$out"/*.wav | wc -l) recordings in $out and $root/assets/ding.wav"
