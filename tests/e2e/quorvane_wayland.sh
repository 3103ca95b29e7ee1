#!/usr/bin/env bash
# The lobby under a Wayland compositor (weston, drawn into an X window so that xdotool can give it
# input): the window comes back where it was after each game run, shows nothing and takes no
# input while the game runs (a click falls through to the window below), is dragged by its title
# strip, and closes from its close button; at scale 1 and 2. A client cannot read its own place on
# Wayland: it is found in screenshots, as what differs from the desktop's plain colour.
# Usage: quorvane_wayland.sh <build dir> <recorder game> <screenshot dir>
build=$1 recorder=$2 shots=$3
if ! command -v weston >/dev/null; then
  echo "no weston (scripts/setup.sh installs it): skipped"
  exit 77
fi
. "$(dirname "$0")/lib/own_screen.sh"
own_screen "2000x1600x24" "$0" "$@"
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"

# The compositor's runtime directory: private, as a session's is (the tests run as root on CI).
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
desktop='#203040'
cat >"$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff${desktop#\#}
locking=false
animation=none
close-animation=none
startup-animation=none
INI

# start_weston <backend> <logical width> <logical height> <scale>: weston's output, drawn into an
# X window at the X screen's top-left corner ("x11": input through xdotool) or headless (no
# pointer drawn, screenshots through weston's own screenshooter); sets WAYLAND_DISPLAY, BACKEND,
# SCALE and OUTPUT (its size in pixels).
start_weston() {
  BACKEND=$1 SCALE=$4 OUTPUT="$(($2 * $4))x$(($3 * $4))"
  export WAYLAND_DISPLAY=wayland-test-$1-$4
  weston --config="$work/weston.ini" --backend="$1-backend.so" --use-pixman --idle-time=0 --debug \
    --width="$2" --height="$3" --scale="$4" --socket="$WAYLAND_DISPLAY" >"$work/weston-$1.log" 2>&1 &
  weston_pid=$!
  pids+=("$weston_pid")
  wait_until 20 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" && sleep 1
}
stop_weston() {
  kill "$weston_pid" 2>/dev/null
  wait_until 10 gone "$weston_pid"
}

# park_pointer: weston draws its pointer into the output; it waits in the bottom-right corner,
# which place_in leaves out. Weston's X11 backend moves its pointer by the X pointer's steps and
# stops it at the output's edges: a move to the top-left corner and one to the bottom-right put
# both pointers in the same place, so that later moves land where they are aimed.
park_pointer() {
  local w=${OUTPUT%x*} h=${OUTPUT#*x}
  xdotool mousemove 0 0 sleep 0.1 mousemove $((w - 1)) $((h - 1)) sleep 0.1
}
# shot <name>: the output as the user sees it.
shot() {
  if [ "$BACKEND" = headless ]; then
    rm -rf "$work/screens" && mkdir -p "$work/screens"
    (cd "$work/screens" && weston-screenshooter) && mv "$work"/screens/*.png "$shots/$1.png"
    return
  fi
  park_pointer
  import -window root -crop "$OUTPUT+0+0" +repage "$shots/$1.png"
}
# place_in <name>: "x y width height" (logical) of what is not the desktop in that shot, or
# nothing when the whole output is desktop.
place_in() {
  local found w=${OUTPUT%x*} h=${OUTPUT#*x}
  local mask=(-alpha off -fill "$desktop" -draw "rectangle $((w - 32 * SCALE)),$((h - 32 * SCALE)) $w,$h"
    -fuzz 3% -fill white +opaque "$desktop" -fill black -opaque "$desktop")
  found=$(convert "$shots/$1.png" "${mask[@]}" -format '%[fx:maxima.r]' info:)
  [ "$found" = 1 ] || return 0
  convert "$shots/$1.png" "${mask[@]}" -trim -format '%w %h %X %Y' info: |
    { read -r w h px py; echo $((${px#+} / SCALE)) $((${py#+} / SCALE)) $((w / SCALE)) $((h / SCALE)); }
}
# wait_place <name> <expected "x y" or "">: true once a new shot shows the window's top-left
# corner there, or no window at all; sets PLACE.
wait_place() {
  local end=$((SECONDS + 10)) corner
  while :; do
    shot "$1"
    PLACE=$(place_in "$1")
    corner=$(echo "$PLACE" | cut -d' ' -f1,2)
    [ "$corner" = "$2" ] && return 0
    if [ "$SECONDS" -ge "$end" ]; then
      echo "# the last shot, $1.png, shows: ${PLACE:-the desktop alone}"
      return 1
    fi
    sleep 0.3
  done
}
# click_at / key: input through weston's X window, at logical coordinates.
at() { echo $(($1 * SCALE)) $(($2 * SCALE)); }
# play_game: the movie starts the recorder game, which runs until its hold file goes.
play_game() {
  touch "$prog/Rec/Rec.hold"
  : >"$prog/Rec/Rec.record"
  movie_do 'ExternalInterface.call("PlayGame", {GameName: "Rec", GameParam: {GameIp: 16777343,
    GamePort: 36895, GameUid: "1001", GameKey: "k", GameMode: "2", GameChannel: "9", GameModex: "x"}})'
}
end_game() { rm -f "$prog/Rec/Rec.hold"; }
gone() { ! kill -0 "$1" 2>/dev/null; }

install_served_lobby
use_scripted_movie "$prog"
mkdir -p "$prog/Rec"
cp "$recorder" "$prog/Rec/Rec"

# start_lobby <shot>: the lobby on the compositor, once its movie is seen; sets lobby and x y w h.
# The web view may composite as it does for players: its drawing must vanish with the window.
start_lobby() {
  : >"$MOVIE_LOG"
  GDK_BACKEND=wayland env -u WEBKIT_DISABLE_COMPOSITING_MODE "$prog/Quorvane" 2>"$work/lobby.err" &
  lobby=$!
  pids+=("$lobby")
  wait_log "^ready " 60 || { sed 's/^/#   /' "$work/lobby.err"; return 1; }
  wait_until 10 movie_seen "$1"
}
# movie_seen <shot>: a shot shows a window whose middle is the movie's green.
movie_seen() {
  local r g b
  shot "$1"
  read -r x y w h <<<"$(place_in "$1")"
  [ -n "$x" ] || return 1
  read -r r g b <<<"$(pixel "$shots/$1.png" $(at $((x + w / 2)) $((y + h / 2))))"
  [ "$g" -gt 200 ] && [ "$r" -lt 40 ]
}

# --- scale 1 ---------------------------------------------------------------------------------
check "weston starts (as $(id -un))" start_weston x11 1280 1024 1 || sed 's/^/#   /' "$work/weston-x11.log"
# Weston draws its own pointer: keep it in the far corner, out of the shots.
park_pointer
# A window below the lobby that covers the output in the desktop's colour and writes down the
# clicks it gets.
/usr/bin/python3 - "$work/below.clicks" "$desktop" <<'PY' &
import sys, gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, Gdk
css = Gtk.CssProvider()
css.load_from_data(("window { background: %s; }" % sys.argv[2]).encode())
Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css,
                                         Gtk.STYLE_PROVIDER_PRIORITY_USER)
w = Gtk.Window(title="below")
w.set_decorated(False)
w.set_default_size(1280, 1024)
w.add_events(Gdk.EventMask.BUTTON_PRESS_MASK)
w.connect("button-press-event", lambda *_: open(sys.argv[1], "a").write("click\n") and False)
w.show_all()
open(sys.argv[1], "a").close()
Gtk.main()
PY
below=$!
pids+=("$below")
wait_until 10 test -e "$work/below.clicks"
sleep 1
check "the lobby starts on Wayland and shows its movie" start_lobby start
check "it is found on the output (at ${x:-?},${y:-?})" test -n "$x"
# Only the frame's 635 rows are checked: now and then weston's window is 35 rows taller, a light
# band below the movie, from before any hiding.
check "at the frame's width (got ${w:-?})" test "$w" = 800
read -r r g b <<<"$(pixel "$shots/start.png" $((x + 400)) $((y + 36)))"
check "the movie starts right below the title strip (green; got $r,$g,$b)" test "$g" -gt 200 -a "$r" -lt 40
read -r r g b <<<"$(pixel "$shots/start.png" $((x + 400)) $((y + 634)))"
check "and fills the frame's height (green; got $r,$g,$b)" test "$g" -gt 200 -a "$r" -lt 40
read -r r g b <<<"$(pixel "$shots/start.png" $((x + 400)) $((y + 17)))"
check "and the title strip is drawn above it (got $r,$g,$b)" test "$g" -lt 200 -a "$b" -gt "$r"
place="$x $y"

play_game
check "PlayGame sends LoginGame" wait_log '^recv LoginGame \[1\]$' 10
check "the lobby shows nothing while the game runs" wait_place hidden ""
xdotool mousemove $(at $((x + 300)) $((y + 300))) key a
park_pointer
sleep 1
check "and takes no key (got $(count_log '^key a$'))" test "$(count_log '^key a$')" = 0
end_game
check "LogoutGame comes when the game has ended" wait_log '^recv LogoutGame \[1\]$' 10
check "the lobby comes back where it was ($place)" wait_place back "$place"
xdotool mousemove $(at $((x + 300)) $((y + 300))) click 3 key a
park_pointer
check "and takes clicks again" wait_log '^recv RightClick' 5
check "and keys" wait_log '^key a$' 5

# Dragged by the title strip between the logo and the buttons.
xdotool mousemove $(at $((x + 450)) $((y + 17))) mousedown 1 sleep 0.2 \
  mousemove $(at $((x + 470)) $((y + 37))) sleep 0.2 mousemove $(at $((x + 490)) $((y + 57))) \
  sleep 0.2 mouseup 1
park_pointer
dragged="$((x + 40)) $((y + 40))"
check "the title strip drags the window ($dragged)" wait_place dragged "$dragged"
play_game
check "a second game hides it again" wait_place hidden-again ""
end_game
check "and it comes back where it was dragged to" wait_place back-again "$dragged"

# A click where the lobby was, while it is away, goes to the window below; that window is
# raised and stays above the lobby when the lobby comes back (nothing raises it on weston).
play_game
check "a third game hides it again" wait_place hidden-third ""
xdotool mousemove $(at $((x + 340)) $((y + 340))) click 3
park_pointer
check "a click where the lobby was reaches the window below" wait_until 5 grep -q click "$work/below.clicks"
check "and not the lobby (got $(count_log '^recv RightClick') RightClick)" test "$(count_log '^recv RightClick')" = 1
check "the lobby still shows nothing with the window below focused" wait_place hidden-below-focused ""
end_game
wait_log '^recv LogoutGame \[1\]$' 10
kill "$below" 2>/dev/null

# Closed from its close button.
wait_place closing "$dragged"
xdotool mousemove $(at $((x + 40 + 766 + 12)) $((y + 40 + 5 + 12))) click 1
check "the close button ends the lobby" wait_until 10 gone "$lobby"
stop_weston

# --- scale 2 ---------------------------------------------------------------------------------
# Headless: weston 10 maps the X pointer wrongly onto a scaled X11 output, and nothing here needs
# input.
check "weston starts at scale 2" start_weston headless 1000 800 2 || sed 's/^/#   /' "$work/weston-headless.log"
check "the lobby starts at scale 2 and shows its movie" start_lobby start-scale2
check "at the frame's width in logical pixels (got ${w:-?})" test "$w" = 800
place="$x $y"
play_game
check "it shows nothing while a game runs at scale 2" wait_place hidden-scale2 ""
end_game
check "and comes back where it was ($place)" wait_place back-scale2 "$place"
kill "$lobby" 2>/dev/null
finish
