#!/usr/bin/env bash
# The lobby on a HiDPI screen (2560 x 1600, GDK_SCALE=2): the window keeps its size in pixels
# (twice as many device pixels), the title strip and the notice show the artwork's drawings at
# twice the resolution, device pixel for device pixel, not the plain ones scaled up, and a click
# lands where the button is drawn. The same at scale 1 shows the plain artwork, and
# GDK_DPI_SCALE (the toolkit's only fractional setting, for text) leaves the painting alone.
# Usage: quorvane_hidpi.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/own_screen.sh"
own_screen "2560x1600x24" "$0" "$@"
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"
art=$root/resources/lobby/png

install_served_lobby
use_scripted_movie "$prog"
# Without the player the notice shows too: its panel, its text and its button.
rm -f "$prog/libquorvane-player.so"

# run_lobby <shot> [VAR=value...]: starts the lobby with that environment and takes a shot of
# the screen; sets x y w h (device pixels).
run_lobby() {
  local shot=$1
  shift
  xdotool mousemove 0 0  # off the window: a hovered button is drawn otherwise
  env "$@" "$prog/Quorvane" 2>"$work/lobby.err" &
  lobby=$!
  pids+=("$lobby")
  check "$shot: the window shows" wait_window QuorvaneTest || sed 's/^/#   /' "$work/lobby.err"
  read -r x y w h <<<"${GEOMETRY:-0 0 0 0}"
  sleep 1
  import -window root "$shots/$shot.png"
}

# close_lobby <scale>: a click on the middle of the close button at (766, 5) of the window.
close_lobby() {
  xdotool mousemove $((x + $1 * (766 + 12))) $((y + $1 * (5 + 12))) click 1
  for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
  check "a click on the close button, drawn at scale $1, closes the lobby" \
    bash -c "! kill -0 $lobby 2>/dev/null"
  kill "$lobby" 2>/dev/null
}

# crop <shot> <x> <y> <w> <h> <out>: a region of a screenshot, in device pixels.
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage -alpha off "$6"; }

# expected <scale> <png id> <frame width> <top> <out>: frame 1 of the artwork at that scale
# over the title-strip fill, as the window should show it at <top> of the strip.
expected() {
  local s=$1 id=$2 fw=$3 top=$4 out=$5 suffix=
  [ "$1" = 2 ] && suffix=@2x
  local w=$((s * fw)) h
  h=$(identify -format '%h' "$art/$id$suffix.png")
  convert \( "$art/136$suffix.png" -crop "1x${h}+0+$((s * top))" +repage -scale "${w}x${h}!" \) \
    \( "$art/$id$suffix.png" -crop "${w}x${h}+0+0" +repage \) -composite -alpha off "$out"
}

# differing <a> <b>: pixels that differ by more than 2% of full scale (rounding of the blend).
differing() { compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# The title strip's images at scale s in the shot, each against its artwork at that scale and
# (at scale 2) against the plain artwork scaled up.
check_strip() {
  local s=$1 shot=$shots/$2.png name id fw px py n ih
  for item in "close 130 24 766 5" "minimise 133 24 742 5" "service 132 56 586 0" \
              "proposal 131 56 525 0" "logo 135 320 0 0"; do
    read -r name id fw px py <<<"$item"
    ih=$(identify -format '%h' "$art/$id.png")
    crop "$shot" $((x + s * px)) $((y + s * py)) $((s * fw)) $((s * ih)) "$work/$name-$s.png"
    expected "$s" "$id" "$fw" "$py" "$work/$name-want-$s.png"
    n=$(differing "$work/$name-$s.png" "$work/$name-want-$s.png")
    check "scale $s: the $name shows its artwork at that scale ($n pixels differ)" test "$n" -le 3
    if [ "$s" = 2 ]; then
      expected 1 "$id" "$fw" "$py" "$work/$name-plain.png"
      convert "$work/$name-plain.png" -resize 200% "$work/$name-upscaled.png"
      n=$(differing "$work/$name-2.png" "$work/$name-upscaled.png")
      check "scale 2: the $name is not the plain artwork scaled up ($n pixels differ)" test "$n" -gt 40
    fi
  done
}

run_lobby scale2 GDK_SCALE=2
check "scale 2: the window is 800 x 635 pixels, 1600 x 1270 device pixels (got ${w}x${h})" \
  test "$w" = 1600 -a "$h" = 1270
check_strip 2 scale2
# The notice panel's warning sign and rounded corner, over the black movie area.
crop "$shots/scale2.png" $((x + 2 * 210)) $((y + 2 * 203)) 180 220 "$work/panel-2.png"
convert -size 180x220 xc:black \( "$art/138@2x.png" -crop 180x220+0+0 +repage \) -composite \
  -alpha off "$work/panel-want-2.png"
n=$(differing "$work/panel-2.png" "$work/panel-want-2.png")
check "scale 2: the notice panel shows its artwork at that scale ($n pixels differ)" test "$n" -le 3
# The notice's text, white on the panel, from (306, 243) for 260 x 80 pixels.
crop "$shots/scale2.png" $((x + 2 * 306)) $((y + 2 * 243)) 520 160 "$shots/notice-text-2.png"
ink=$(convert "$shots/notice-text-2.png" -colorspace gray -threshold 80% -format '%[fx:int(mean*w*h)]' info:)
check "scale 2: the notice's text is drawn ($ink white device pixels)" test "$ink" -gt 500
close_lobby 2

run_lobby scale1
check "scale 1: the window is 800 x 635 (got ${w}x${h})" test "$w" = 800 -a "$h" = 635
check_strip 1 scale1
crop "$shots/scale1.png" "$x" "$y" 800 35 "$work/strip-1.png"
close_lobby 1

# GTK 3 has whole scales only; GDK_DPI_SCALE scales the toolkit's own text, not a painting.
run_lobby dpi-scale-1.5 GDK_DPI_SCALE=1.5
crop "$shots/dpi-scale-1.5.png" "$x" "$y" 800 35 "$work/strip-dpi.png"
n=$(differing "$work/strip-dpi.png" "$work/strip-1.png")
check "GDK_DPI_SCALE=1.5: the window is still 800 x 635 (got ${w}x${h}) and its strip as at scale 1 ($n pixels differ)" \
  test "$w" = 800 -a "$h" = 635 -a "$n" = 0
close_lobby 1
finish
