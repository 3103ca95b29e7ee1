#!/usr/bin/env bash
# Whole run of the updater: the demo game is published as 1.0.1, served by nginx (throttled so
# the bar has time to grow), and Vendrel installs it into an empty program directory with
# -reboot. Checks the window (size, place, growing bar), the single instance, the installed
# tree and the restarted game. Screenshots stay in the folder given as the fourth argument.
# Usage: vendrel_update.sh <Vendrel> <DemoGame> <zemba-publish> <screenshot dir>
vendrel=$1 demogame=$2 publish=$3 shots=$4
. "$(dirname "$0")/lib/frame.sh"

rm -rf "$shots" && mkdir -p "$shots"
stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" ||
  { echo "FAIL - publishing"; exit 1; }
start_nginx "$work/www" "$work/nginx" 150k || exit 1

mkdir -p "$work/install"
args=(-name "DemoGame" -number "1.0.1" -prog "$work/install/DemoGame" -down "$work/down"
      -http "$NGINX_URL/zemba/demogame" -reboot)
ZEMBA_DEMOGAME_REPORT=$work/report.txt "$vendrel" "${args[@]}" 2>"$work/vendrel.err" &
vendrel_pid=$!
pids+=("$vendrel_pid")

geometry=
for _ in $(seq 600); do  # generous: a sanitizer build on a busy machine starts slowly
  geometry=$(window_geometry Vendrel) && break
  sleep 0.1
done
check "the progress window appears" test -n "$geometry"
read -r wx wy ww wh <<<"${geometry:-0 0 0 0}"
read -r sw sh < <(xdotool getdisplaygeometry)
check "the window is 566 x 73 (got ${ww}x${wh})" test "$ww" = 566 -a "$wh" = 73
check "the window is centred on the ${sw}x${sh} screen (at $wx,$wy)" \
  test $((wx - (sw - 566) / 2)) -ge -1 -a $((wx - (sw - 566) / 2)) -le 1 -a \
       $((wy - (sh - 73) / 2)) -ge -1 -a $((wy - (sh - 73) / 2)) -le 1

# A second updater while the first runs: gone at once, without a window of its own.
start=$(date +%s%N)
timeout 10 "$vendrel" "${args[@]}" 2>/dev/null
second_rc=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
check "a second Vendrel exits by itself with code 4 (not run) while the first runs (${elapsed_ms} ms, code $second_rc)" \
  test "$second_rc" = 4 -a "$elapsed_ms" -lt 10000
check "only one Vendrel window exists" \
  test "$(xdotool search --onlyvisible --name '^Vendrel$' 2>/dev/null | wc -l)" = 1

import -window root "$shots/screen-start.png" 2>/dev/null
# Pictures of the window alone are quick to take, so the short-lived complete bar is caught too.
id=$(window_id Vendrel)
n=0
while kill -0 "$vendrel_pid" 2>/dev/null && [ "$n" -lt 2000 ]; do
  n=$((n + 1))
  raw=$(printf '%s/window-%04d.xwd' "$shots" "$n")
  xwd -silent -id "$id" > "$raw" 2>/dev/null || break
  # Without a window manager nothing keeps our window above the restarted game's.
  [ -n "$(window_id DemoGame)" ] && touch "${raw%.xwd}.covered"
  sleep 0.1
done
wait "$vendrel_pid"
vendrel_rc=$?
vendrel_pid=
counts=()
complete=0
for raw in "$shots"/window-*.xwd; do
  png=${raw%.xwd}.png
  # Once the bar is complete the run is over: the restarted game's window may already cover
  # later pictures before it can be told apart by its name, and they say nothing of the bar.
  if [ "$complete" = 0 ] && convert "xwd:$raw" "$png" 2>/dev/null; then
    [ -e "${raw%.xwd}.covered" ] || counts+=("$(bar_segments "$png" 0 0)")
    bar_complete "$png" && complete=1
  fi
  rm -f "$raw" "${raw%.xwd}.covered"
done
echo "segments seen in ${#counts[@]} pictures: ${counts[*]}"
grows=1
for ((i = 1; i < ${#counts[@]}; i++)); do
  [ "${counts[i]}" -ge "${counts[i - 1]}" ] || grows=0
done
check "the bar never shrinks" test "$grows" = 1
check "the bar grows during the run" test "${#counts[@]}" -ge 2 -a "${counts[-1]:-0}" -gt "${counts[0]:-0}"
check "the complete bar with its right end was shown" test "$complete" = 1
check "Vendrel ends with success (code $vendrel_rc)" test "$vendrel_rc" = 0
check "the window is gone" test -z "$(xdotool search --onlyvisible --name '^Vendrel$' 2>/dev/null)"

check "the installed tree equals the published one" diff -r -x Update.cfg "$work/release/DemoGame" "$work/install/DemoGame"
check "with the Update.cfg the release carries" cmp "$work/www/zemba/demogame/UpdateVersion.xml" "$work/install/DemoGame/Update.cfg"
check "the installed game is executable" test -x "$work/install/DemoGame/DemoGame"
check "the download directory is removed" test ! -e "$work/down"

for _ in $(seq 100); do
  [ -s "$work/report.txt" ] && break
  sleep 0.1
done
game_pid=$(sed -n 's/^pid //p' "$work/report.txt" 2>/dev/null)
check "the restarted game runs" test -n "$game_pid"
[ -n "$game_pid" ] && check "the restarted game is alive" kill -0 "$game_pid"
for _ in $(seq 50); do
  window_geometry DemoGame >/dev/null && break
  sleep 0.1
done
check "the game shows its window" test -n "$(window_id DemoGame)"
import -window root "$shots/game.png" 2>/dev/null

if [ "$failures" -ne 0 ]; then
  echo "display $DISPLAY; Vendrel's diagnostic output:"
  cat "$work/vendrel.err"
  echo "nginx requests and errors:"
  tail -n 20 "$work/nginx/access.log" "$work/nginx/error.log" 2>/dev/null
fi
echo "screenshots: $shots"
finish
