#!/usr/bin/env bash
# Puts every picture of resources/ on one sheet, resources/preview.png: the pieces assembled the way the
# windows draw them (top, at 2x), then every picture on its own at 3x, grouped by control.
# Needs ImageMagick (convert, montage). Usage: tools/montage.sh [resources folder] [output png]
set -euo pipefail

RES=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources" && pwd)}
OUT=${2:-$RES/preview.png}
BMP=$RES/bmp
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

BACK='#f3f4f6'
DESK='#6d8fb3'   # a desktop colour behind the assembled windows, so the keyed corners show
FONT=DejaVu-Sans

# ---- assembled views -------------------------------------------------------------------------
# Title bar of width $2 from the pieces of variant $1 and state $3 (active / inactive); the key is made
# transparent the way the layered window does it.
bar() {
    local v=$1 w=$2 s=$3 h
    h=$(identify -format %h "$BMP/${v}_${s}_mid.bmp")
    convert "$BMP/${v}_${s}_left.bmp" \( "$BMP/${v}_${s}_mid.bmp" -filter point -resize "$((w - 16))x${h}!" \) \
        "$BMP/${v}_${s}_right.bmp" +append +repage "$TMP/bar.png"
}

# Window button pictures $2.. laid on a bar image $1 at x = 8, 29, 50.
buttons() {
    local img=$1
    convert "$img" "$2" -geometry +8+0 -composite "$3" -geometry +29+0 -composite \
        "$4" -geometry +50+0 -composite "$img"
}

# The main window's title bar with its tabs, active and hovered, then inactive.
bar leopard 444 active
buttons "$TMP/bar.png" "$BMP/leopard_close.bmp" "$BMP/leopard_min.bmp" "$BMP/leopard_button_disabled.bmp"
convert "$TMP/bar.png" \( "$BMP/tab_split.bmp" -transparent "#ff00ff" \) -geometry +14+26 -composite \( "$BMP/tab_join_down.bmp" -transparent "#ff00ff" \) -geometry +52+26 \
    -composite \( "$BMP/tab_prefs.bmp" -transparent "#ff00ff" \) -geometry +362+26 -composite \( "$BMP/tab_about.bmp" -transparent "#ff00ff" \) -geometry +400+26 -composite \
    -fill white -draw 'rectangle 0,54 443,80' -font Liberation-Sans -pointsize 12 -fill black -annotate +200+17 'Zendra' \
    "$TMP/main_active.png"
bar leopard 444 active
buttons "$TMP/bar.png" "$BMP/leopard_close_hover.bmp" "$BMP/leopard_min_hover.bmp" "$BMP/leopard_button_disabled.bmp"
convert "$TMP/bar.png" \( "$BMP/tab_split.bmp" -transparent "#ff00ff" \) -geometry +14+26 -composite \( "$BMP/tab_join.bmp" -transparent "#ff00ff" \) -geometry +52+26 \
    -composite \( "$BMP/tab_prefs_down.bmp" -transparent "#ff00ff" \) -geometry +362+26 -composite \( "$BMP/tab_about_down.bmp" -transparent "#ff00ff" \) -geometry +400+26 -composite \
    -fill white -draw 'rectangle 0,54 443,80' -font Liberation-Sans -pointsize 12 -fill black -annotate +200+17 'Zendra' \
    "$TMP/main_hover.png"
bar leopard 444 inactive
buttons "$TMP/bar.png" "$BMP/leopard_button_inactive.bmp" "$BMP/leopard_button_inactive.bmp" "$BMP/leopard_button_inactive.bmp"
convert "$TMP/bar.png" \( "$BMP/tab_split.bmp" -transparent "#ff00ff" \) -geometry +14+26 -composite \( "$BMP/tab_join.bmp" -transparent "#ff00ff" \) -geometry +52+26 \
    -composite \( "$BMP/tab_prefs.bmp" -transparent "#ff00ff" \) -geometry +362+26 -composite \( "$BMP/tab_about.bmp" -transparent "#ff00ff" \) -geometry +400+26 -composite \
    -fill white -draw 'rectangle 0,54 443,80' -font Liberation-Sans -pointsize 12 -fill '#555' -annotate +200+17 'Zendra' \
    "$TMP/main_inactive.png"

# The About window: slim bar, logo.
bar tiger 232 active
buttons "$TMP/bar.png" "$BMP/tiger_close.bmp" "$BMP/tiger_button_disabled.bmp" "$BMP/tiger_button_disabled.bmp"
convert "$TMP/bar.png" -font Liberation-Sans -pointsize 12 -fill black -annotate +80+16 'About Zendra' \
    -background white -gravity north -extent 232x110 -gravity northwest \
    "$BMP/logo.bmp" -geometry +92+32 -composite "$TMP/about_active.png"
bar tiger 232 inactive
buttons "$TMP/bar.png" "$BMP/tiger_button_inactive.bmp" "$BMP/tiger_button_inactive.bmp" "$BMP/tiger_button_inactive.bmp"
convert "$TMP/bar.png" -font Liberation-Sans -pointsize 12 -fill '#555' -annotate +80+16 'About Zendra' \
    -background white -gravity north -extent 232x30 -gravity northwest "$TMP/about_inactive.png"
bar tiger 232 active
buttons "$TMP/bar.png" "$BMP/tiger_close_pressed.bmp" "$BMP/tiger_min_hover.bmp" "$BMP/tiger_zoom_hover.bmp"
convert "$TMP/bar.png" -font Liberation-Sans -pointsize 12 -fill black -annotate +80+16 'About Zendra' \
    -background white -gravity north -extent 232x30 -gravity northwest "$TMP/about_pressed.png"

# Push buttons, 120 pixels wide, in each look, on white and on the pinstripe backdrop.
button() {  # look, caption, backdrop (white|lines), out
    local mid_w
    mid_w=$((120 - 30))
    convert "$BMP/aqua_$1_left.bmp" \( "$BMP/aqua_$1_mid.bmp" -filter point -resize "${mid_w}x23!" \) \
        "$BMP/aqua_$1_right.bmp" +append +repage -transparent '#ff00ff' "$TMP/b.png"
    if [ "$3" = lines ]; then
        convert "$BMP/aqua_pinstripe.bmp" -filter point -resize '140x41!' -crop 140x33+0+0 +repage "$TMP/back.png"
    else
        convert -size 140x33 xc:white "$TMP/back.png"
    fi
    convert "$TMP/back.png" "$TMP/b.png" -geometry +10+5 -composite -font SimSun-Bold -font DejaVu-Sans-Bold \
        -pointsize 11 -fill black -gravity north -annotate +0+9 "$2" "$4"
}
button normal Browse white "$TMP/btn1.png"
button pressed Split white "$TMP/btn2.png"
button disabled Save white "$TMP/btn3.png"
button normal 'Join Files' lines "$TMP/btn4.png"
button pressed Browse lines "$TMP/btn5.png"
button disabled Save lines "$TMP/btn6.png"
convert "$TMP/btn1.png" "$TMP/btn2.png" "$TMP/btn3.png" +append "$TMP/btns_a.png"
convert "$TMP/btn4.png" "$TMP/btn5.png" "$TMP/btn6.png" +append "$TMP/btns_b.png"

# Check boxes: the twelve cells side by side with a caption.
convert -size 420x40 xc:white "$TMP/checks.png"
for i in $(seq 0 11); do
    convert "$TMP/checks.png" \( "$BMP/checkbox_cells.bmp" -crop "16x17+0+$((i * 17))" +repage \) \
        -geometry "+$((6 + i * 34))+4" -composite "$TMP/checks.png"
done
convert "$TMP/checks.png" -font DejaVu-Sans -pointsize 8 -fill '#444' \
    -annotate +6+34 'unchecked: normal hover pressed disabled | checked ... | mixed ...' "$TMP/checks.png"

# The piece list, 300 x 150: header, rows with stripes, one row selected, the scroll column.
W=300; H=150; C=$((W - 12))
convert -size ${W}x${H} xc:white \
    \( "$BMP/list_header.bmp" -filter point -resize "${C}x17!" \) -geometry +0+0 -composite \
    "$BMP/list_header_corner.bmp" -geometry +$((C - 3))+0 -composite \
    \( "$BMP/list_track.bmp" -filter point -resize "12x$((H - 29))!" \) -geometry +${C}+29 -composite \
    "$BMP/list_track_cap.bmp" -geometry +${C}+16 -composite \
    "$BMP/list_thumb.bmp" -geometry +${C}+40 -composite \
    "$BMP/list_arrow_up.bmp" -geometry +${C}+$((H - 35)) -composite \
    "$BMP/list_arrow_down.bmp" -geometry +${C}+$((H - 14)) -composite "$TMP/list.png"
for k in 2 4 6 8; do
    y=$((17 + (k - 1) * 17 - 1))
    convert "$TMP/list.png" \( "$BMP/list_stripe.bmp" -filter point -resize "$((C - 4))x18!" \) \
        -geometry +3+$y -composite "$TMP/list.png"
done
convert "$TMP/list.png" -fill 'rgb(75,127,210)' -draw "rectangle 3,$((17 + 2 * 17)) $((C - 2)),$((17 + 3 * 17 - 2))" \
    -fill '#999999' -draw "rectangle 0,0 0,$((H - 1))" -draw "rectangle 0,$((H - 1)) $((W - 1)),$((H - 1))" \
    -font DejaVu-Sans-Mono -pointsize 10 -fill black -annotate +4+12 'Splitted Files                   Size' \
    "$TMP/list.png"
for k in 1 2 3 4 5 6 7; do
    colour=black; [ $k -eq 3 ] && colour=white
    convert "$TMP/list.png" -font DejaVu-Sans-Mono -pointsize 10 -fill $colour \
        -annotate +4+$((17 + k * 17 - 5)) "movie.avi.00$((k - 1))                 1048576" "$TMP/list.png"
done

# Place the assembled views on the desktop colour, key made transparent.
for f in main_active main_hover main_inactive about_active about_inactive about_pressed; do
    convert "$TMP/$f.png" -transparent '#ff00ff' -background "$DESK" -flatten "$TMP/$f.png"
done
convert -background "$DESK" \
    "$TMP/main_active.png" "$TMP/main_hover.png" "$TMP/main_inactive.png" -splice 0x10 -append \
    -bordercolor "$DESK" -border 10 "$TMP/col_main.png"
convert -background "$DESK" "$TMP/about_active.png" "$TMP/about_pressed.png" "$TMP/about_inactive.png" \
    -splice 0x10 -append -bordercolor "$DESK" -border 10 "$TMP/col_about.png"
convert "$TMP/col_main.png" "$TMP/col_about.png" -background "$DESK" -gravity north +append "$TMP/windows.png"
convert -background white "$TMP/btns_a.png" "$TMP/btns_b.png" "$TMP/checks.png" -gravity west -append \
    "$TMP/controls.png"
convert "$TMP/controls.png" "$TMP/list.png" -background white -gravity northwest -splice 20x0 +append "$TMP/controls2.png"
convert -background "$BACK" "$TMP/windows.png" "$TMP/controls2.png" -gravity northwest -splice 0x12 -append \
    -filter point -resize 200% "$TMP/assembled.png"

# ---- every picture at 3x, grouped ------------------------------------------------------------------
group() {  # title, out, files...
    local title=$1 out=$2 f w
    shift 2
    local args=()
    for f in "$@"; do
        # Each picture at 3x on a cell wide enough for its name.
        w=$(identify -format %w "$f")
        convert "$f" -filter point -resize 300% -background "$BACK" -gravity center \
            -extent "$(( w * 3 > 118 ? w * 3 : 118 ))x" +repage "$TMP/$(basename "$f" .bmp).png"
        args+=(-label "$(basename "$f" .bmp | sed 's/^\(leopard\|tiger\|aqua\|list\|tab\)_//')" \
            "$TMP/$(basename "$f" .bmp).png")
    done
    montage "${args[@]}" -font "$FONT" -pointsize 11 -background "$BACK" -geometry +4+8 -tile x1 "$TMP/g.png"
    convert "$TMP/g.png" -background "$BACK" -font DejaVu-Sans-Bold -pointsize 15 -gravity northwest \
        -splice 0x26 -annotate +10+4 "$title" "$out"
}
group 'Tall title bar (Leopard)' "$TMP/g1.png" "$BMP"/leopard_*_{left,mid,right}.bmp
group 'Tall title bar buttons' "$TMP/g2.png" "$BMP"/leopard_{close,min,zoom}{,_hover,_pressed}.bmp \
    "$BMP"/leopard_button_{disabled,inactive}.bmp
group 'Slim title bar (Tiger)' "$TMP/g3.png" "$BMP"/tiger_*_{left,mid,right}.bmp
group 'Slim title bar buttons' "$TMP/g4.png" "$BMP"/tiger_{close,min,zoom}{,_hover,_pressed}.bmp \
    "$BMP"/tiger_button_{disabled,inactive}.bmp
group 'Tabs and logo' "$TMP/g5.png" "$BMP"/tab_*.bmp "$BMP/logo.bmp"
group 'Push button' "$TMP/g6.png" "$BMP"/aqua_*.bmp
group 'Check box strip and piece list' "$TMP/g7.png" "$BMP/checkbox_cells.bmp" "$BMP"/list_*.bmp
# The icon's seven images.
convert "$RES/zendra.ico" "$TMP/icon-%d.png"
icons=()
labels=("48 8bpp" "32 8bpp" "16 8bpp" "64 32bpp" "48 32bpp" "32 32bpp" "24 32bpp")
for i in 0 1 2 3 4 5 6; do
    convert "$TMP/icon-$i.png" -filter point -resize 300% -background "$BACK" -gravity center -extent 200x196 \
        "$TMP/icon-$i.png"
    icons+=(-label "${labels[$i]}" "$TMP/icon-$i.png")
done
montage "${icons[@]}" -background "$BACK" -font "$FONT" -pointsize 11 -geometry +10+8 -tile x1 "$TMP/g8.png"
convert "$TMP/g8.png" -background "$BACK" -font DejaVu-Sans-Bold -pointsize 15 -gravity northwest \
    -splice 0x26 -annotate +10+4 'Window icon' "$TMP/g8.png"

convert -background "$BACK" "$TMP/assembled.png" "$TMP"/g[1-8].png -gravity northwest -append \
    -bordercolor "$BACK" -border 12 -strip -depth 8 -define png:compression-level=9 "$OUT"
echo "$OUT"
