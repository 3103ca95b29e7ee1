#!/usr/bin/env bash
# The title strip by keyboard: Tab goes from the movie through 建议, 客服, minimise and close and
# back to the movie (Shift+Tab the other way), each button showing its focus ring when it has the
# focus; Space and Enter press the focused button, Escape still goes to the movie, and Enter on
# the close button closes the lobby.
# Usage: quorvane_keyboard.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"

install_test_browser
opened() { grep -qxF -- "$1" "$work/opened.txt" 2>/dev/null; }

install_served_lobby
use_scripted_movie "$prog"
"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
pids+=("$lobby")
check "the window shows" wait_window QuorvaneTest || sed 's/^/#   /' "$work/lobby.err"
read -r x y _ _ <<<"${GEOMETRY:-0 0 0 0}"
wait_log "^ready " 20
# The movie's one control, so that Tab has somewhere to stop in it.
movie_do 'const i = document.createElement("input"); document.body.appendChild(i);
  i.addEventListener("focus", () => log("input focus"));
  addEventListener("focus", () => log("page focus")); log("listening")'
wait_log "^listening$" 5
# The pointer rests on the logo, away from every button, and the window has the keyboard.
xdotool mousemove $((x + 100)) $((y + 17))
xdotool windowfocus "$(window_id QuorvaneTest)" 2>/dev/null
sleep 0.5

# Buttons of the 800-pixel strip: name, left, top, width.
buttons=("proposal 525 0 56" "service 586 0 56" "minimise 742 5 24" "close 766 5 24")

# ring_pixels <png> <left> <top> <width>: how many pixels of the button's second row have the
# focus ring's colour (light blue A8C8F0); the ring is dotted, so about half of them when shown.
ring_pixels() {
  convert "$1" -crop "$(($4 - 4))x1+$(($2 + 2))+$(($3 + 1))" +repage txt:- 2>/dev/null |
    grep -c '#A8C8F0'
}

# focused_button <shot name>: the one button that shows its ring ("none" when none does,
# "several" when more do).
focused_button() {
  local shot=$shots/$1.png found=none b name left top width n
  import -window root "$shot"
  for b in "${buttons[@]}"; do
    read -r name left top width <<<"$b"
    n=$(ring_pixels "$shot" $((x + left)) $((y + top)) "$width")
    if [ "$n" -ge $(((width - 4) / 3)) ]; then
      [ "$found" = none ] && found=$name || found=several
    fi
  done
  echo "$found"
}

# tab_to <expected> <keys> <shot name>: presses the keys and checks which button shows focus.
# The ring is looked for again for up to five seconds: a slow build (the sanitizers) moves the
# focus out of the page and repaints later than a release build.
tab_to() {
  xdotool key "$2"
  local got end=$((SECONDS + 5))
  while :; do
    sleep 0.3
    got=$(focused_button "$3")
    { [ "$got" = "$1" ] || [ "$SECONDS" -ge "$end" ]; } && break
  done
  check "$2 puts the focus on $1 (ring seen on: $got)" test "$got" = "$1"
}

check "at start no button shows a focus ring" test "$(focused_button start)" = none
tab_to none Tab tab-1
check "the first Tab goes to the movie's control" wait_log "^input focus$" 5
tab_to proposal Tab tab-2
xdotool key space
check "Space presses the focused 建议 button" wait_until 5 opened "http://www.zemba.com/proposal"
tab_to service Tab tab-3
xdotool key Return
check "Enter presses the focused 客服 button" wait_until 5 opened "http://www.zemba.com/service"
sleep 0.5
check "and does not reach the movie" test "$(count_log '^key Enter$')" = 0
xdotool key Escape
check "Escape on a focused button still goes to the movie" wait_log "^key Escape$" 5
check "and the button lets go of the focus" test "$(focused_button escape)" = none

# Escape handed the keyboard back to the movie: a whole round of Tab from its control.
input_before=$(count_log '^input focus$')
tab_to none Tab round-0
check "Tab in the movie goes to its control" \
  wait_until 5 test "$(count_log '^input focus$')" -gt "$input_before"
tab_to proposal Tab round-1
tab_to service Tab round-2
tab_to minimise Tab round-3
tab_to close Tab round-4
page_before=$(count_log '^page focus$')
tab_to none Tab round-5
check "after the close button Tab returns to the movie" \
  wait_until 5 test "$(count_log '^page focus$')" -gt "$page_before"
input_before=$(count_log '^input focus$')
tab_to none shift+Tab back-1
check "Shift+Tab in the movie goes to its control" \
  wait_until 5 test "$(count_log '^input focus$')" -gt "$input_before"
tab_to close shift+Tab back-2
tab_to minimise shift+Tab back-3
tab_to close Tab back-4

xdotool key Return
for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
check "Enter on the focused close button closes the lobby" bash -c "! kill -0 $lobby 2>/dev/null"
# Ended by the close button, not gone on its way (a lobby that died would pass the checks above).
wait "$lobby"
rc=$?
check "and the lobby ended normally (code $rc)" test "$rc" = 0 || sed 's/^/#   /' "$work/lobby.err"
check "and the movie never got an Enter" test "$(count_log '^key Enter$')" = 0
finish
