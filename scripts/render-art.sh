#!/usr/bin/env bash
# Renders every shipped picture of QOR Desktop from the SVG sources in resources/art:
#   resources/skin/<NAME>.png      skin elements (PNG32, exact pixel sizes, embedded as "CUSTOM" resources)
#   resources/skin/<NAME>_150.png  the same at 150 % and 200 % of their size, for screens of those
#   resources/skin/<NAME>_200.png    scales (the program picks the nearest)
#   resources/SysIcons/<name>.png  pictures shipped beside the program (128 x 128)
#   resources/QORDesktop.ico       program icon: 16, 24, 32, 48, 64, 128 and 256 (PNG-compressed) pixels
#   resources/logo/                logo for the tour and the about window
#   resources/tour/TOUR<n>.png     the five pictures of the "Get Started" tour (960 x 540, opaque)
# The SVGs are written by resources/art/generate.py first (pass --no-generate to render them as they are).
# Output is byte-for-byte reproducible, so re-running leaves git clean. The PNGs are committed: a Windows
# build needs none of these tools.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
art=$root/resources/art
IM=/usr/bin/convert   # ImageMagick 6 from Debian (not a stand-in earlier on PATH)

for tool in rsvg-convert "$IM"; do
    command -v "$tool" >/dev/null || { echo "render-art: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done

if [[ "${1:-}" != "--no-generate" ]]; then
    PYTHONDONTWRITEBYTECODE=1 python3 "$art/generate.py"
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# render <svg> <out.png> <width> <height> [format]: RGBA PNG (or the format given, e.g. PNG24 for
# an opaque picture) without time stamps; replaced only when it changed.
render() {
    rsvg-convert -w "$3" -h "$4" "$1" -o "$tmp/raw.png"
    "$IM" "$tmp/raw.png" -strip -define png:exclude-chunks=date,time,tIME "${5:-PNG32}:$tmp/out.png"
    local got
    got=$(identify -format '%wx%h' "$tmp/out.png")
    [[ "$got" == "$3x$4" ]] || { echo "render-art: $1 rendered at $got, want $3x$4" >&2; exit 1; }
    if ! cmp -s "$tmp/out.png" "$2"; then cp "$tmp/out.png" "$2"; fi
}

# Skin elements: the pixel size is the SVG's own (width/height attributes) at 100 %; at 150 % and
# 200 % each side is scaled and rounded half to even, as the program scales lengths.
mkdir -p "$root/resources/skin"
count=0
for svg in "$art"/skin_*.svg; do
    name=$(basename "$svg" .svg); name=${name#skin_}
    w=$(sed -n 's/.*<svg [^>]*width="\([0-9]*\)".*/\1/p' "$svg" | head -1)
    h=$(sed -n 's/.*<svg [^>]*height="\([0-9]*\)".*/\1/p' "$svg" | head -1)
    render "$svg" "$root/resources/skin/$name.png" "$w" "$h"
    for scale in 150 200; do
        sw=$(python3 -c "print(round($w * $scale / 100))")
        sh=$(python3 -c "print(round($h * $scale / 100))")
        render "$svg" "$root/resources/skin/${name}_$scale.png" "$sw" "$sh"
    done
    count=$((count + 1))
done
echo "render-art: $count skin elements at 100, 150 and 200 %"

# Shipped pictures, 128 x 128; file names may contain blanks ("My Computer.png").
mkdir -p "$root/resources/SysIcons"
count=0
for svg in "$art"/sys_*.svg; do
    name=$(basename "$svg" .svg); name=${name#sys_}
    render "$svg" "$root/resources/SysIcons/$name.png" 128 128
    count=$((count + 1))
done
echo "render-art: $count SysIcons pictures"

# Program icon: the small drawing (tuned to the pixel grid) up to 32 pixels, the full mark above.
sizes=()
render "$art/app_16.svg" "$tmp/ico-16.png" 16 16; sizes+=("$tmp/ico-16.png")
for s in 24 32; do render "$art/app_small.svg" "$tmp/ico-$s.png" "$s" "$s"; sizes+=("$tmp/ico-$s.png"); done
for s in 48 64 128 256; do render "$art/app_large.svg" "$tmp/ico-$s.png" "$s" "$s"; sizes+=("$tmp/ico-$s.png"); done
"$IM" "${sizes[@]}" "ICO:$tmp/QORDesktop.ico"
cmp -s "$tmp/QORDesktop.ico" "$root/resources/QORDesktop.ico" || cp "$tmp/QORDesktop.ico" "$root/resources/QORDesktop.ico"
echo "render-art: program icon ($(identify -format '%w ' "$root/resources/QORDesktop.ico"))"

# Logo for the tour and the about window.
mkdir -p "$root/resources/logo"
render "$art/app_large.svg" "$root/resources/logo/QORLogo-256.png" 256 256
render "$art/app_large.svg" "$root/resources/logo/QORLogo-512.png" 512 512
render "$art/logo_wordmark.svg" "$root/resources/logo/QORWordmark.png" 1024 256
echo "render-art: logo"

# The tour's pictures: desktops without transparency.
mkdir -p "$root/resources/tour"
for n in 1 2 3 4 5; do
    render "$art/tour_$n.svg" "$root/resources/tour/TOUR$n.png" 960 540 PNG24
done
echo "render-art: tour"
