#!/usr/bin/env bash
# The demo: sets up the machine, builds, publishes the demo game as version 1.0.1 into a
# temporary update server root, serves it with nginx on 127.0.0.1 and lets the updater Vendrel
# install it into an empty temporary program directory with -reboot, so the game starts
# afterwards. Runs on your display when $DISPLAY is set; otherwise under a virtual display,
# taking screenshots into a folder it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZEMBA_BUILD_DIR:-$root/build/release}  # the build whose programs the demo runs

if [ "${1:-}" != "--run" ]; then
  bash scripts/setup.sh
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)"
  cat <<'INTRO'

== What you will see
An orange progress window (566 x 73, no frame, centred, kept above other windows) titled
"Vendrel": the top line names the step and the file being downloaded, the yellow bar grows
from left to right in 65 segments, the bottom line counts "<received> Byte/ <expected> Byte".
The server is slowed down on purpose so the download takes several seconds. When everything
is installed the bar gets its rounded right end, the window closes by itself, and the demo
game starts from the new program directory: a small window that lists the arguments it was
started with (none) and its working directory. Close it with its "退出" button.
The window can be dragged anywhere; Enter or Escape ends the updater early.

INTRO
  if [ -n "${DISPLAY:-}" ]; then
    exec bash "$0" --run
  fi
  echo "No \$DISPLAY: running under a virtual display and taking screenshots."
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --run --headless
fi

headless=0
[ "${2:-}" = "--headless" ] && headless=1
. "$root/scripts/lib/update_server.sh"

work=$(mktemp -d /tmp/zemba-demo.XXXXXX)
trap stop_nginx EXIT
shots=$work/screenshots
mkdir -p "$shots" "$work/install"

echo "== Publishing DemoGame 1.0.1"
stage_demogame "$build/tools/demogame/DemoGame" "$work/release/DemoGame"
"$build/tools/publisher/zemba-publish" --name DemoGame --version 1.0.1 \
  --program "$work/release/DemoGame" --root "$work/www"
rate=60k
[ "$headless" = 1 ] && rate=150k
start_nginx "$work/www" "$work/nginx" "$rate"
echo "   served by nginx at $NGINX_URL/zemba/demogame (throttled to $rate/s)"

echo "== Vendrel installs it into $work/install/DemoGame"
export ZEMBA_DEMOGAME_REPORT=$work/game-started.txt
"$build/updater/app/Vendrel" -name "DemoGame" -number "1.0.1" -prog "$work/install/DemoGame" \
  -down "$work/down" -http "$NGINX_URL/zemba/demogame" -reboot 2>"$work/vendrel.log" &
vendrel=$!
n=0
while kill -0 "$vendrel" 2>/dev/null; do
  if [ "$headless" = 1 ]; then
    n=$((n + 1))
    import -window root "$(printf '%s/progress-%02d.png' "$shots" "$n")" 2>/dev/null || true
  fi
  sleep 0.5
done
rc=0
wait "$vendrel" || rc=$?
stop_nginx
echo "   Vendrel ended with code $rc (0: installed). Its diagnostic lines: $work/vendrel.log"
echo "   installed files:"
(cd "$work/install" && find . -type f | sort | sed 's/^/     /')

for _ in $(seq 100); do
  [ -s "$ZEMBA_DEMOGAME_REPORT" ] && break
  sleep 0.1
done
game=$(sed -n 's/^pid //p' "$ZEMBA_DEMOGAME_REPORT" 2>/dev/null || true)
if [ -z "$game" ]; then
  echo "== The demo game did not start."
  exit 1
fi
echo "== The demo game runs (pid $game)."
if [ "$headless" = 1 ]; then
  sleep 1.5
  import -window root "$shots/game.png" 2>/dev/null || true
  kill "$game" 2>/dev/null || true
  echo "== Screenshots: $shots"
else
  echo "   Close its window to end the demo."
  while kill -0 "$game" 2>/dev/null; do sleep 1; done
fi
echo "== Everything the demo made is in $work"
