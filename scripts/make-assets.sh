#!/usr/bin/env bash
# Regenerates the pictures, the icon and the music clip that the program carries inside itself.
# Everything is drawn or synthesised here from scratch; the outputs are committed in resources/.
#
# Needs (Debian packages): imagemagick (convert, version 6), fontconfig (fc-match),
# fonts-liberation, sox, lame.
# Usage: scripts/make-assets.sh [output-folder]      (default: resources/)
# CONVERT=/path/to/convert picks a particular ImageMagick binary.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-resources}
convert=${CONVERT:-convert}

missing=()
for tool in "$convert" fc-match sox lame; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "make-assets.sh needs: ${missing[*]}" >&2
    echo "install with: apt-get install imagemagick fontconfig fonts-liberation sox lame" >&2
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

# Program icon: 256 x 256 PNG, the emblem on a rounded dark red tile. The date chunks are left
# out so that the file does not change from run to run.
background 256 256
emblem 128 118 92 4
"$convert" "${background[@]}" \
    "(" -size 256x256 xc:black -fill white -draw "roundrectangle 8,8 247,247 40,40" -alpha off ")" \
    -compose copy-opacity -composite -compose over \
    -fill none -stroke "$amber" -strokewidth 4 -draw "roundrectangle 10,10 245,245 38,38" \
    "${emblem[@]}" \
    -stroke none -font "$bold" -pointsize 40 -gravity south \
    -fill '#00000099' -annotate +2+14 'D3' -fill "$light" -annotate +0+16 'D3' \
    -depth 8 -strip -define png:exclude-chunks=date,time "$out/draskel3-tuning.png"
# The window icon the program carries inside itself: the same at 64 x 64.
"$convert" "$out/draskel3-tuning.png" -filter Lanczos -resize 64x64 \
    -depth 8 -strip -define png:exclude-chunks=date,time "$out/draskel3-tuning-64.png"

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
    "$out/draskel3-tuning.png" "$out/draskel3-tuning-64.png" "$out/vorlix.mp3"
