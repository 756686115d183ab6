#!/usr/bin/env bash
# Regenerates the pictures and the music clip that the program carries inside itself, and its icon
# (a scalable picture and every PNG size of the icon theme, rendered from it). Everything is drawn
# or synthesised here from scratch; the outputs are committed in resources/.
#
# Needs (Debian packages): imagemagick (convert, version 6), librsvg2-bin (rsvg-convert),
# fontconfig (fc-match), fonts-liberation, sox, lame.
# Usage: scripts/make-assets.sh [output-folder]      (default: resources/)
# CONVERT=/path/to/convert picks a particular ImageMagick binary.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-resources}
convert=${CONVERT:-convert}

missing=()
for tool in "$convert" rsvg-convert fc-match sox lame; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "make-assets.sh needs: ${missing[*]}" >&2
    echo "install with: apt-get install imagemagick librsvg2-bin fontconfig fonts-liberation sox lame" >&2
    exit 1
fi
bold=$(fc-match -f '%{file}' 'Liberation Sans:bold')
regular=$(fc-match -f '%{file}' 'Liberation Sans')
for font in "$bold" "$regular"; do
    if [ ! -f "$font" ]; then
        echo "make-assets.sh needs the Liberation Sans fonts (fonts-liberation)" >&2
        exit 1
    fi
done

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program's colours: amber text on dark red, as the dialogs draw themselves.
amber='#dc9600'
light='#f0b400'
dark='#4b0000'

# The emblem: rings, an open arc and nested diamonds around (cx, cy) with radius r, as convert
# arguments in the array "emblem". Integer arithmetic keeps every coordinate, and with it the
# pictures, the same on every run.
emblem() {
    local cx=$1 cy=$2 r=$3 w=$4
    local a=$((r / 2)) b=$((r * 3 / 10)) c=$((r * 17 / 100))
    emblem=(-fill none -stroke "${amber}55" -strokewidth "$w" \
        -draw "circle $cx,$cy $cx,$((cy - r))" \
        -draw "circle $cx,$cy $cx,$((cy - r * 7 / 10))" \
        -stroke "$amber" -strokewidth $((w + 1)) \
        -draw "arc $((cx - r)),$((cy - r)) $((cx + r)),$((cy + r)) 200,340" \
        -stroke none -fill "$amber" \
        -draw "polygon $cx,$((cy - a)) $((cx + a)),$cy $cx,$((cy + a)) $((cx - a)),$cy" \
        -fill "$dark" \
        -draw "polygon $cx,$((cy - b)) $((cx + b)),$cy $cx,$((cy + b)) $((cx - b)),$cy" \
        -fill "$light" \
        -draw "polygon $cx,$((cy - c)) $((cx + c)),$cy $cx,$((cy + c)) $((cx - c)),$cy")
}

# A dark red field, lighter on the left, with a soft amber glow in the middle, as convert
# arguments in the array "background".
background() {
    local w=$1 h=$2
    background=(-size "${h}x${w}" "gradient:#7a1200-#1c0000" -rotate -90
        "(" -size "${w}x${h}" "radial-gradient:#a05000-#000000" ")"
        -compose screen -composite -compose over)
}

# Banner picture: 480 x 150 JPEG, the texture of the banner's front face.
background 480 150
emblem 75 75 55 2
"$convert" "${background[@]}" "${emblem[@]}" \
    -stroke "$light" -strokewidth 1 -draw "line 0,118 480,118" -draw "line 150,123 480,123" \
    -stroke none -font "$bold" -pointsize 50 \
    -fill '#00000099' -annotate +157+73 'Draskel 3' -fill "$light" -annotate +154+70 'Draskel 3' \
    -font "$regular" -pointsize 28 \
    -fill '#00000099' -annotate +157+109 'Tuning Utility' \
    -fill "$amber" -annotate +155+107 'Tuning Utility' \
    -alpha off -strip -sampling-factor 2x2 -quality 90 "$out/vorlix_logo.jpg"

# Large credits picture: 480 x 322, 24-bit BMP without alpha. The credits dialog shows it at its
# own size in a box that, with our dialog font, is about 275 pixels high, so everything that
# matters stays in the upper part and the rest is background.
background 480 322
emblem 240 95 78 3
"$convert" "${background[@]}" "${emblem[@]}" \
    -stroke "$light" -strokewidth 1 -draw "line 30,186 450,186" -draw "line 80,191 400,191" \
    -stroke none -font "$bold" -pointsize 34 -gravity north \
    -fill '#00000099' -annotate +2+205 'Draskel 3 Tuning Utility' \
    -fill "$light" -annotate +0+203 'Draskel 3 Tuning Utility' \
    -alpha off -type TrueColor "BMP3:$out/credits_large.bmp"

# Small credits picture: 78 x 78, 24-bit BMP without alpha.
background 78 78
emblem 39 39 34 1
"$convert" "${background[@]}" "${emblem[@]}" \
    -alpha off -type TrueColor "BMP3:$out/credits_small.bmp"

# Program icon: one scalable picture, the emblem on a rounded dark red tile with "D3" below it,
# drawn on a 256 x 256 grid in the same colours and proportions as the pictures above. Every PNG
# size of the icon theme is rendered from it; the 256 px one is also the icon the program carries
# inside itself.
icons="$out/icons/hicolor"
mkdir -p "$icons/scalable/apps"
svg="$icons/scalable/apps/draskel3-tuning.svg"
# The open arc runs from 200 to 340 degrees (clockwise from the right, as on the screen) around
# (128, 118) with radius 92, the diamonds have half-diagonals of 46, 27 and 15.
cat >"$svg" <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Draskel 3 Tuning Utility</title>
  <defs>
    <linearGradient id="field" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#7a1200"/>
      <stop offset="1" stop-color="#1c0000"/>
    </linearGradient>
    <radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0" stop-color="#a05000" stop-opacity="0.85"/>
      <stop offset="1" stop-color="#a05000" stop-opacity="0"/>
    </radialGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="40" fill="url(#field)"/>
  <rect x="8" y="8" width="240" height="240" rx="40" fill="url(#glow)"/>
  <rect x="10" y="10" width="236" height="236" rx="38" fill="none" stroke="$amber" stroke-width="4"/>
  <g fill="none" stroke="$amber" stroke-opacity="0.33" stroke-width="4">
    <circle cx="128" cy="118" r="92"/>
    <circle cx="128" cy="118" r="64"/>
  </g>
  <path d="M 41.55 86.53 A 92 92 0 0 1 214.45 86.53" fill="none" stroke="$amber" stroke-width="5"/>
  <path d="M 128 72 L 174 118 L 128 164 L 82 118 Z" fill="$amber"/>
  <path d="M 128 91 L 155 118 L 128 145 L 101 118 Z" fill="$dark"/>
  <path d="M 128 103 L 143 118 L 128 133 L 113 118 Z" fill="$light"/>
  <g font-family="Liberation Sans, Arial, Helvetica, sans-serif" font-weight="bold" font-size="40"
     text-anchor="middle">
    <text x="130" y="234" fill="#000000" fill-opacity="0.6">D3</text>
    <text x="128" y="232" fill="$light">D3</text>
  </g>
</svg>
SVG
for size in 16 22 24 32 48 64 128 256 512; do
    mkdir -p "$icons/${size}x${size}/apps"
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$icons/${size}x${size}/apps/draskel3-tuning.png" "$svg"
done

# Music: a plucked arpeggio over C, A minor, F and G with a soft sine bass, ending on a C major
# chord; about 6.5 s. -R fixes sox's random numbers and -D turns off its random dither.
sox_r=(sox -R -D)
beat=0.355
notes=(C5 E5 G5 E5 A4 C5 E5 C5 F4 A4 C5 A4 G4 B4 D5 G5)
parts=()
i=0
for note in "${notes[@]}"; do
    part=$(printf '%s/m%02d.wav' "$work" "$i")
    "${sox_r[@]}" -n -r 44100 -c 1 -b 16 "$part" synth "$beat" pluck "$note" vol 0.55
    parts+=("$part")
    i=$((i + 1))
done
"${sox_r[@]}" -n -r 44100 -c 1 -b 16 "$work/end.wav" \
    synth 0.82 pluck C5 pluck E5 pluck G5 remix - vol 0.5 fade 0 0.82 0.5
"${sox_r[@]}" "${parts[@]}" "$work/end.wav" "$work/melody.wav"

bar=1.42 # four beats
bass=()
i=0
for note in C3 A2 F2 G2; do
    part="$work/b$i.wav"
    "${sox_r[@]}" -n -r 44100 -c 1 -b 16 "$part" synth "$bar" sine "$note" vol 0.22 fade 0.05 "$bar" 0.3
    bass+=("$part")
    i=$((i + 1))
done
"${sox_r[@]}" -n -r 44100 -c 1 -b 16 "$work/bend.wav" synth 0.82 sine C3 vol 0.22 fade 0.05 0.82 0.6
"${sox_r[@]}" "${bass[@]}" "$work/bend.wav" "$work/bass.wav"

# Melody slightly left, bass slightly right, the brightest overtones softened, a little room
# around both.
"${sox_r[@]}" -M "$work/melody.wav" "$work/bass.wav" "$work/mix.wav" \
    remix 1v0.8,2v0.2 1v0.2,2v0.8 lowpass 5000 reverb 35 50 60 gain -n -1 fade 0 -0 0.15

lame --quiet --nohist -m s -b 128 --cbr --resample 44.1 "$work/mix.wav" "$work/music.mp3"

# An empty ID3 version 1 tag closes the clip: "TAG", empty title, artist, album, year and comment,
# and genre 255 (none).
{
    cat "$work/music.mp3"
    printf 'TAG'
    head -c 124 /dev/zero
    printf '\377'
} >"$out/vorlix.mp3"

ls -l "$out/vorlix_logo.jpg" "$out/credits_large.bmp" "$out/credits_small.bmp" \
    "$out/vorlix.mp3" "$svg" "$icons"/*/apps/draskel3-tuning.png
