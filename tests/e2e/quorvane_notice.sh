#!/usr/bin/env bash
# The notice while the player module is missing, from a lobby installed from a signed release on
# nginx: its text label drags the window; its button runs the updater on the installed version,
# which brings the module back, and the movie plays; when the updater finds nothing to fetch, or
# there is no record of the installed version, a line under the notice says to install again.
# Usage: quorvane_notice.sh <build dir> <zemba-publish> <screenshot dir>
build=$1 publish=$2 shots=$3
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"

module=libquorvane-player.so
start_movie_server "$work/movie-root" "$work/movie" || { echo "FAIL - movie server"; exit 1; }
pids+=("$MOVIE_PID")
start_nginx "$work/www" "$work/nginx" || { echo "FAIL - nginx"; exit 1; }
"$publish" keygen --secret "$work/secret.key" --public "$work/UpdateKeys.pub" >/dev/null ||
  { echo "FAIL - keys"; exit 1; }

# The lobby 1.0.1 as the operator publishes it, and installed from that same release.
release=$work/release
install_lobby "$build" "$release" "$NGINX_URL" || { echo "FAIL - install"; exit 1; }
use_scripted_movie "$release"
rm -f "$release/Quorvane.desktop"
cp "$work/UpdateKeys.pub" "$release/UpdateKeys.pub"
"$publish" --name Quorvane --version 1.0.1 --program "$release" --root "$work/www" --sign "$work/secret.key" \
  >"$work/publish.out" 2>&1 || { echo "FAIL - publishing"; sed 's/^/#   /' "$work/publish.out"; exit 1; }
# Installed by the release's own updater, as a player's lobby is: every file of the release and
# the updater's record of the installed, signed release.
prog=$work/prog
timeout 120 "$release/Vendrel" -name Quorvane -number 1.0.1 -prog "$prog" -down "$work/down" \
  -http "$NGINX_URL/zemba/quorvane" 2>"$work/install.err"
rc=$?
check "the lobby installs from its release (code $rc)" test "$rc" = 0 || sed 's/^/#   /' "$work/install.err"
check "with the module" cmp -s "$release/$module" "$prog/$module"

# The notice's geometry in an 800 x 600 movie: the panel at (210, 203), its text label at
# (306, 243) sized 260 x 80, the download button at (355, 323).
label_x=306 label_y=243 button_x=355 button_y=323

start_lobby() {  # start_lobby <stderr file>: a lobby without its module, until its window shows
  rm -f "$prog/$module"
  "$prog/Quorvane" 2>"$1" &
  lobby=$!
  pids+=("$lobby")
  wait_window QuorvaneTest 60 || { sed 's/^/#   /' "$1"; return 1; }
  read -r x y _ _ <<<"$GEOMETRY"
  sleep 0.5
}
stop_lobby() {
  kill "$lobby" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
  wait_no_window QuorvaneTest 10
}
# white_in_label <png>: how many pixels of the notice's text label are near white.
white_in_label() {
  convert "$1" -crop "260x80+$((x + label_x))+$((y + label_y))" +repage -colorspace gray \
    -threshold 80% -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}
click_download() { xdotool mousemove $((x + button_x + 47)) $((y + button_y + 18)) click 1; }

# --- The label drags the window ---------------------------------------------------------------
check "the lobby shows its notice without the module" start_lobby "$work/lobby1.err"
import -window root "$shots/notice.png"
xdotool mousemove $((x + label_x + 20)) $((y + label_y + 10)) mousedown 1 sleep 0.2 \
  mousemove $((x + label_x + 60)) $((y + label_y + 30)) sleep 0.2 \
  mousemove $((x + label_x + 100)) $((y + label_y + 50)) sleep 0.2 mouseup 1
sleep 0.5
read -r nx ny _ _ <<<"$(window_geometry QuorvaneTest)"
check "a drag started on the notice's text moves the window (80,40; got $((nx - x)),$((ny - y)))" \
  test $((nx - x)) = 80 -a $((ny - y)) = 40
x=$nx y=$ny

# --- The button restores the module ------------------------------------------------------------
click_download
check "the window hides while the updater repairs" wait_no_window QuorvaneTest 10
check "the window comes back" wait_window QuorvaneTest 120
check "the module is back as published" cmp -s "$release/$module" "$prog/$module"
check "and the movie plays" wait_log "^ready " 15
sleep 0.5
import -window root "$shots/repaired.png"
read -r x y _ _ <<<"$(window_geometry QuorvaneTest)"
read -r r g b <<<"$(pixel "$shots/repaired.png" $((x + 400)) $((y + 300)))"
check "the movie fills the movie area (green; got $r,$g,$b)" test "$r" -lt 40 -a "$g" -gt 200 -a "$b" -lt 40
check "no line says to install again" not grep -q 'notice:' "$work/lobby1.err"
stop_lobby

# --- Nothing to fetch: the release itself lacks the module ---------------------------------------
rm -f "$release/$module"
"$publish" --name Quorvane --version 1.0.1 --program "$release" --root "$work/www" --sign "$work/secret.key" \
  --force >"$work/publish2.out" 2>&1 || { echo "FAIL - publishing again"; sed 's/^/#   /' "$work/publish2.out"; }
check "the lobby shows its notice again" start_lobby "$work/lobby2.err"
import -window root "$shots/before-nothing.png"
before=$(white_in_label "$shots/before-nothing.png")
click_download
check "the window hides while the updater looks" wait_no_window QuorvaneTest 10
check "the window comes back" wait_window QuorvaneTest 120
sleep 1
import -window root "$shots/nothing-to-fetch.png"
after=$(white_in_label "$shots/nothing-to-fetch.png")
check "a line is added to the notice's text (white pixels $before -> $after)" test "$after" -gt $((before + 150))
check "it says to install the lobby again" grep -q 'notice: 无法修复，请重新安装游戏大厅。' "$work/lobby2.err"
check "the module is still missing" test ! -e "$prog/$module"
stop_lobby

# --- No record of the installed version: no updater at all ---------------------------------------
rm -f "$prog/Update.cfg"
check "the lobby shows its notice once more" start_lobby "$work/lobby3.err"
import -window root "$shots/before-no-record.png"
before=$(white_in_label "$shots/before-no-record.png")
: >"$work/nginx/access.log"
click_download
sleep 1.5
import -window root "$shots/no-record.png"
after=$(white_in_label "$shots/no-record.png")
check "without a version record the line shows (white pixels $before -> $after)" test "$after" -gt $((before + 150))
check "and says to install again" grep -q 'notice: 无法修复，请重新安装游戏大厅。' "$work/lobby3.err"
check "the window stayed" test -n "$(window_id QuorvaneTest)"
check "no updater asked the server for anything" test ! -s "$work/nginx/access.log"
stop_lobby
finish
