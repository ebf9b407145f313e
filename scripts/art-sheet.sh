#!/usr/bin/env bash
# Contact sheets for reviewing the artwork by eye (not committed): every SysIcons picture at
# 128/48/32/16 pixels over a light, a dark and a busy wallpaper and over the dimmed keyboard-mode
# backdrop (black at alpha 192), each on the ring's glass backdrop as the dock draws it; the skin
# elements in a mock-up of the ring centre and of the group pop-up at their real sizes.
# Usage: scripts/art-sheet.sh [output folder]   (default /tmp/qor-art-sheets)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-/tmp/qor-art-sheets}
IM=/usr/bin/convert
mkdir -p "$out"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
skin=$root/resources/skin
icons=("$root"/resources/SysIcons/*.png)

# wallpapers
$IM -size 1400x1000 gradient:'#F4F7FB'-'#C9D6E8' "$tmp/light.png"
$IM -size 1400x1000 gradient:'#1B2333'-'#05070C' "$tmp/dark.png"
$IM -seed 11 -size 1400x1000 plasma:'#3A6EA5'-'#E8B86A' -blur 0x6 "$tmp/busy.png"
$IM -seed 11 -size 1400x1000 plasma:'#3A6EA5'-'#E8B86A' -blur 0x6 \
    \( -size 1400x1000 xc:'rgba(0,0,0,0.753)' \) -composite "$tmp/dimmed.png"

# one tile per icon and size: the glass backdrop with the icon on top, as the ring draws them
for size in 128 48 32 16; do
    mkdir -p "$tmp/t$size"
    $IM "$skin/BACKSELECTCOLOR.png" -filter Catrom -resize ${size}x${size} "$tmp/back$size.png"
    for i in "${icons[@]}"; do
        n=$(basename "$i" .png)
        $IM "$tmp/back$size.png" \( "$i" -filter Catrom -resize ${size}x${size} \) -composite "$tmp/t$size/$n.png"
    done
done

sheet() { # wallpaper name
    local wp=$1
    for size in 128 48 32 16; do
        local sp=$((size / 4 + 4))
        montage "$tmp/t$size"/*.png -background none -geometry +${sp}+${sp} -tile 16x "$tmp/m$size.png"
    done
    $IM "$tmp/m128.png" "$tmp/m48.png" "$tmp/m32.png" "$tmp/m16.png" -background none -gravity west -append "$tmp/all.png"
    local wh; wh=$(identify -format '%wx%h' "$tmp/all.png")
    $IM "$tmp/$wp.png" -resize "${wh}!" "$tmp/all.png" -composite "$out/icons-$wp.png"
}
for wp in light dark busy dimmed; do sheet $wp; done

# labelled index of the names at 48 pixels, plain (no backdrop), on white
montage "${icons[@]}" -resize 64x64 -background '#FFFFFF' -pointsize 10 -set label '%t' -geometry 110x90+2+2 -tile 10x "$out/icons-index.png"

# ring centre: LOGO under BORDER (12 px in), ring icons at rest and one hovered, indicators and poof
centre() { # wallpaper
    local wp=$1
    $IM -size 900x360 xc:none \
        \( "$skin/LOGO.png" \) -geometry +24+36 -composite \
        \( "$skin/BORDER.png" \) -geometry +12+24 -composite \
        \( "$tmp/back48.png" "$root/resources/SysIcons/My Computer.png" -resize 48x48 -composite \) -geometry +200+40 -composite \
        \( "$tmp/back48.png" "$root/resources/SysIcons/RecycleFull.png" -resize 48x48 -composite \) -geometry +260+40 -composite \
        \( "$tmp/back48.png" "$root/resources/SysIcons/Shortcut.png" -resize 48x48 -composite \) -geometry +320+40 -composite \
        \( "$skin/BACKSELECTCOLOR.png" -resize 96x96 "$root/resources/SysIcons/Internet.png" -resize 96x96 -composite \) -geometry +380+16 -composite \
        \( "$skin/BACKSELECTCOLOR.png" -resize 96x96 \( "$root/resources/SysIcons/Folder.png" -resize 48x48 \) -gravity center -composite \) -gravity northwest -geometry +490+16 -composite \
        \( "$skin/NODROP.png" -resize 48x48 \) -geometry +620+30 -composite \
        \( "$skin/ADDICON.png" -resize 48x48 \) -geometry +690+30 -composite \
        \( "$skin/REPLACEICON.png" -resize 48x48 \) -geometry +760+30 -composite \
        \( "$skin/DELICON.png" \) -geometry +200+200 -composite \
        "$tmp/c.png"
    $IM "$tmp/$wp.png" -crop 900x360+0+0 +repage "$tmp/c.png" -composite "$out/centre-$wp.png"
}
for wp in light dark busy dimmed; do centre $wp; done

# pop-up mock-up: normal layout of 5 rows with row 2 highlighted and row 4 pressed, and the scroll layout
popup() { # wallpaper
    local wp=$1 n=5 H=$((38 * 5))
    local R=4 HS=$((38 * 4))
    $IM -size 620x360 xc:none \
        \( "$skin/MENUBODY.png" -resize "268x${H}!" \) -geometry +10+20 -composite \
        \( "$skin/MENUTOP.png" \) -geometry +10+10 -composite \
        \( "$skin/MENUBOTTOM.png" \) -geometry +10+$((10 + 8 + H)) -composite \
        \( "$skin/MENUSELECT.png" \) -geometry +20+$((20 + 38)) -composite \
        \( "$skin/MENUMOUSEDOWN.png" \) -geometry +20+$((20 + 38 * 3)) -composite \
        \( "$skin/MENUBODY.png" -resize "268x$((HS + 60))!" \) -geometry +320+20 -composite \
        \( "$skin/MENUTOP.png" \) -geometry +320+10 -composite \
        \( "$skin/MENUBOTTOM.png" \) -geometry +320+$((10 + 68 + HS)) -composite \
        \( "$skin/MENUUPUNSELECT.png" \) -geometry +330+20 -composite \
        \( "$skin/MENUSPACE.png" \) -geometry +330+45 -composite \
        \( "$skin/MENUSELECT.png" \) -geometry +330+$((50 + 38)) -composite \
        \( "$skin/MENUSPACE.png" \) -geometry +330+$((50 + HS)) -composite \
        \( "$skin/MENUDOWNSELECT.png" \) -geometry +330+$((55 + HS)) -composite \
        "$tmp/p.png"
    local k y
    for k in 1 2 3 4 5; do
        y=$((10 + 15 + 38 * (k - 1)))
        $IM "$tmp/p.png" \( "${icons[$((k * 7))]}" -resize 32x32 \) -geometry +23+$((y - 2)) -composite \
            -font DejaVu-Sans -pointsize 12 -fill '#010203' -annotate +58+$((y + 17)) "$(basename "${icons[$((k * 7))]}" .png)" \
            -annotate +247+$((y + 17)) "$k" "$tmp/p.png"
    done
    for k in 1 2 3 4; do
        y=$((10 + 45 + 38 * (k - 1)))
        $IM "$tmp/p.png" \( "${icons[$((k * 5))]}" -resize 32x32 \) -geometry +333+$((y - 2)) -composite \
            -font DejaVu-Sans -pointsize 12 -fill '#010203' -annotate +368+$((y + 17)) "$(basename "${icons[$((k * 5))]}" .png)" "$tmp/p.png"
    done
    $IM "$tmp/p.png" -font DejaVu-Sans -pointsize 12 -fill '#808080' -annotate +530+37 "PgUp" \
        -fill '#010203' -annotate +530+$((72 + HS)) "PgDn" "$tmp/p.png"
    $IM "$tmp/$wp.png" -crop 620x360+0+0 +repage "$tmp/p.png" -composite "$out/popup-$wp.png"
}
for wp in light dark busy; do popup $wp; done

# the ring as the dock paints it: 12 positions at rest (48) on the glass, position 3 hovered (64),
# the centre picture under its frame; on the busy wallpaper and under the keyboard-mode dimming
ring() { # wallpaper
    local wp=$1 cx=300 cy=300 r=200 i=0 args=()
    local names=("My Computer" RecycleFull "All Programs Group" Library WinGroup "Microsoft Office Group" Internet Mailbox Shortcut Folder File Application)
    $IM "$skin/BACKSELECTCOLOR.png" -filter Catrom -resize 64x64 "$tmp/back64.png"
    for n in "${names[@]}"; do
        local x y
        x=$(awk -v c=$cx -v r=$r -v i=$i 'BEGIN{printf "%d", c + r*sin(i*3.1415926/6)}')
        y=$(awk -v c=$cy -v r=$r -v i=$i 'BEGIN{printf "%d", c - r*cos(i*3.1415926/6)}')
        if [[ $i == 2 ]]; then
            args+=( \( "$tmp/back64.png" \( "$root/resources/SysIcons/$n.png" -filter Catrom -resize 64x64 \) -composite \) -geometry +$((x - 32))+$((y - 32)) -composite )
        else
            args+=( \( "$tmp/back48.png" \( "$root/resources/SysIcons/$n.png" -filter Catrom -resize 48x48 \) -composite \) -geometry +$((x - 24))+$((y - 24)) -composite )
        fi
        i=$((i + 1))
    done
    $IM "$tmp/$wp.png" -crop 600x640+300+100 +repage "${args[@]}" \
        "$skin/LOGO.png" -geometry +$((cx - 64))+$((cy - 64)) -composite \
        "$skin/BORDER.png" -geometry +$((cx - 76))+$((cy - 76)) -composite \
        -font DejaVu-Sans-Bold -pointsize 17 -fill '#010203' -gravity north \
        -annotate +1+$((cy + 87)) "All Programs Group" -annotate -1+$((cy + 85)) "All Programs Group" \
        -annotate +1+$((cy + 85)) "All Programs Group" -annotate -1+$((cy + 87)) "All Programs Group" \
        -fill white -annotate +0+$((cy + 86)) "All Programs Group" "$out/ring-$wp.png"
}
for wp in light busy dimmed; do ring $wp; done

# program icon sizes
for s in 16 24 32 48 64 128 256; do $IM "$root/resources/QORDesktop.ico[$(( $(identify -format '%w\n' "$root/resources/QORDesktop.ico" | grep -n "^$s$" | cut -d: -f1) - 1 ))]" "$tmp/ico$s.png"; done
for wp in light dark; do
    montage "$tmp"/ico{16,24,32,48,64,128,256}.png -background none -geometry +10+10 -gravity center -tile x1 "$tmp/icos.png"
    wh=$(identify -format '%wx%h' "$tmp/icos.png")
    $IM "$tmp/$wp.png" -resize "${wh}!" "$tmp/icos.png" -composite "$out/appicon-$wp.png"
done
echo "art-sheet: sheets in $out"; ls "$out"
