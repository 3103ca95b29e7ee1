#!/usr/bin/env bash
# Whole run of the Windows updater under Wine against nginx: a program with Chinese file names
# is published with the Windows publisher, then Vendrel.exe, its program and download
# directories in a folder named outside the ANSI code page,
#   1. installs 1.0.1 into an empty directory (its window shown, the tree equal to the release);
#   2. is killed in the middle of the update to 1.0.2 and run again: it resumes without fetching
#      again what it had finished, and the tree equals 1.0.2;
#   3. updates to 1.0.3 while the program's executable is held open (as a running program holds
#      it) and so is a document listed after the version record: the update fails, the held
#      files and the version record stay 1.0.2 and no temporary is left; once the files are let
#      go, a new run installs 1.0.3;
#   4. refuses a 1.0.4 whose archive was rewritten on the server (exit code 3).
# Every release is signed, and Vendrel.exe trusts the key from UpdateKeys.pub beside itself.
# Usage: vendrel_wine.sh <Vendrel.exe> <zemba-publish.exe> <HoldOpen.exe> <output dir>
set -uo pipefail
vendrel_built=$1 publish=$2 holdopen=$3 out=$4
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/lib/update_server.sh"

# Wine draws its windows on X: without a display the run gets a virtual one of its own. A Wine
# prefix's desktop keeps the display it started with, so the run uses the prefix kept for
# programs with windows (as the window tests do), with a wineserver of its own that it ends.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-display"
wineserver -p </dev/null >/dev/null 2>&1
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
wine_run=wine

rm -rf "$out" && mkdir -p "$out"
work=$out/work
mkdir -p "$work"
# The lobby's folder: Vendrel.exe with the trusted keys beside it, made by the Windows publisher.
mkdir -p "$work/lobby" "$work/keys"
cp "$vendrel_built" "$work/lobby/Vendrel.exe"
vendrel=$work/lobby/Vendrel.exe
# A user folder whose name the ANSI code page cannot write (Korean beside Chinese, and a space),
# as a download directory below a user's documents may have.
install="$work/用户 한글/install" down="$work/用户 한글/down"
vendrel_pid= hold_pid=
cleanup() {
  [ -n "$vendrel_pid" ] && kill -9 "$vendrel_pid" 2>/dev/null
  [ -n "$hold_pid" ] && touch "$work/release" && wait "$hold_pid" 2>/dev/null
  stop_nginx
  wineserver -k 2>/dev/null
}
trap cleanup EXIT
failures=0
check() {  # check <description> <command...>
  local what=$1; shift
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "nginx requests:"; tail -n 40 "$work/nginx/access.log" 2>/dev/null
    echo "nginx errors:"; tail -n 10 "$work/nginx/error.log" 2>/dev/null
  fi
  echo "output: $out"
  exit $((failures > 0))
}

# The Windows name of a Linux path (Wine maps / to drive Z:).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# release <version>: the program's files for that version in $work/release-<version>/Game.
release() {
  local v=$1 dir=$work/release-$1/Game
  rm -rf "$dir" && mkdir -p "$dir/data" "$dir/关卡"
  head -c 200000 /dev/urandom > "$dir/Game.exe"
  printf '演示程序 %s\r\n' "$v" > "$dir/说明.txt"
  # Large enough that a throttled download of the set lasts a few seconds.
  for n in 1 2 3 4 5 6; do head -c 250000 /dev/urandom > "$dir/data/part$n.pak"; done
  head -c 120000 /dev/urandom > "$dir/关卡/第一关.map"
  printf 'unchanged\r\n' > "$dir/data/same.txt"
  "$wine_run" "$publish" --name Game --version "$v" --program "$(winpath "$dir")" \
    --root "$(winpath "$work/www")" --sign "$(winpath "$work/keys/secret.key")" >"$work/publish-$v.txt" 2>&1
  # The release carries the Update.cfg the publisher makes, the version file it announces.
  cp "$work/www/zemba/game/UpdateVersion.xml" "$work/release-$v.cfg"
}
# installed_as <version>: the installed tree is that release, its Update.cfg included.
installed_as() {
  diff -r -x Update.cfg "$work/release-$1/Game" "$install/Game" &&
    cmp -s "$work/release-$1.cfg" "$install/Game/Update.cfg"
}

# update <log name> [extra wine-run arguments]: runs Vendrel.exe in the background.
start_update() {
  local v=$1
  "$wine_run" "$vendrel" -name Game -number "$v" -prog "$(winpath "$install/Game")" \
    -down "$(winpath "$down")" -http "$NGINX_URL/zemba/game" >"$work/vendrel-$v.txt" 2>&1 &
  vendrel_pid=$!
}
wait_update() {
  local rc
  wait "$vendrel_pid"
  rc=$?
  vendrel_pid=
  return "$rc"
}
# Archives requested from the server since a given line of its access log.
archive_requests() {
  tail -n +"$(($1 + 1))" "$work/nginx/access.log" | awk '$9 == 200 { sub(/[?].*/, "", $7); print $7 }' |
    grep -v UpdateList | sort
}
log_lines() { wc -l < "$work/nginx/access.log"; }
no_temporaries() {
  # Every name in the installed tree is a name of the release: nothing staged is left over.
  diff <(cd "$install/Game" && find . | sort) <(cd "$1" && { find .; echo ./Update.cfg; } | sort) >/dev/null
}
version_record() { grep -ao '<Software version="[^"]*"' "$install/Game/Update.cfg" | cut -d'"' -f2; }

"$wine_run" "$publish" keygen --secret "$(winpath "$work/keys/secret.key")" \
  --public "$(winpath "$work/lobby/UpdateKeys.pub")" >"$work/keygen.txt" 2>&1
check "the Windows publisher makes a key pair beside Vendrel.exe" test -s "$work/lobby/UpdateKeys.pub"
for v in 1.0.1 1.0.2 1.0.3 1.0.4; do
  release "$v"
  check "the release $v is signed" test -s "$work/www/zemba/game/${v//./}/UpdateList.xml.${v//./}.sig"
  check "the Windows publisher publishes $v" test -f "$work/www/zemba/game/${v//./}/UpdateList.xml.${v//./}"
done
mkdir -p "$install"
start_nginx "$work/www" "$work/nginx" 300k || exit 1

echo "== install 1.0.1"
start_update 1.0.1
geometry=
for _ in $(seq 300); do
  geometry=$(window_geometry Vendrel) && break
  sleep 0.1
done
check "the progress window appears" test -n "$geometry"
read -r _ _ ww wh <<<"${geometry:-0 0 0 0}"
check "the window is 566 x 73 (got ${ww}x${wh})" test "$ww" = 566 -a "$wh" = 73
sleep 1
import -window root "$out/install-window.png" 2>/dev/null
wait_update
check "Vendrel.exe ends with success (code $?)" test $? = 0
check "the installed tree equals 1.0.1" installed_as 1.0.1
check "the download directory is removed" test ! -e "$down"

echo "== update to 1.0.2, killed part-way, then resumed"
before=$(log_lines)
start_update 1.0.2
killed=0
for _ in $(seq 300); do
  # Killed once two of the big archives have arrived and before the rest have.
  done_so_far=$(archive_requests "$before" | grep -c 'part' || true)
  if [ "$done_so_far" -ge 2 ]; then
    kill -9 "$vendrel_pid" && killed=1
    break
  fi
  sleep 0.1
done
wait "$vendrel_pid" 2>/dev/null
vendrel_pid=
check "Vendrel.exe was killed part-way (after $done_so_far archives)" test "$killed" = 1 -a "$done_so_far" -lt 6
check "the log of the interrupted run is kept" test -f "$down/UpdateLog.xml"
first_run=$(archive_requests "$before")
# Give the killed process's wineserver state a moment to go, as a user restarting it would.
sleep 1
middle=$(log_lines)
start_update 1.0.2
wait_update
check "the resumed Vendrel.exe ends with success (code $?)" test $? = 0
second_run=$(archive_requests "$middle")
again=$(comm -12 <(echo "$first_run" | grep part | head -n 1) <(echo "$second_run"))
echo "archives before the kill: $(echo "$first_run" | grep -c part); fetched by the resumed run: $(echo "$second_run" | grep -c .)"
check "the resumed run does not fetch a finished archive again" test -z "$again"
check "the installed tree equals 1.0.2" installed_as 1.0.2
check "the download directory is removed" test ! -e "$down"

echo "== update to 1.0.3 while the program is held open"
rm -f "$work/release" "$work/release.held"
"$wine_run" "$holdopen" "$(winpath "$work/release")" "$(winpath "$install/Game/Game.exe")" \
  "$(winpath "$install/Game/说明.txt")" &
hold_pid=$!
for _ in $(seq 100); do [ -e "$work/release.held" ] && break; sleep 0.1; done
check "the executable and the document are held open" test -e "$work/release.held"
start_update 1.0.3
wait_update
rc=$?
check "Vendrel.exe reports the failed update (code $rc)" test "$rc" != 0
for held in Game.exe 说明.txt; do
  check "the held $held keeps its 1.0.2 content" cmp -s "$work/release-1.0.2/Game/$held" "$install/Game/$held"
done
check "the version record still says 1.0.2 ($(version_record))" test "$(version_record)" = 1.0.2
check "no staged file is left in the program directory" no_temporaries "$work/release-1.0.2/Game"
touch "$work/release"
wait "$hold_pid"
hold_pid=
start_update 1.0.3
wait_update
check "once let go, Vendrel.exe installs 1.0.3 (code $?)" test $? = 0
check "the installed tree equals 1.0.3" installed_as 1.0.3

echo "== 1.0.4 with an archive rewritten on the server"
cp "$work/www/zemba/game/103/data/part1.pak.103" "$work/www/zemba/game/104/data/part1.pak.104"
start_update 1.0.4
wait_update
rc=$?
check "Vendrel.exe refuses the release (code $rc)" test "$rc" = 3
check "the installed tree is still 1.0.3" installed_as 1.0.3
finish
