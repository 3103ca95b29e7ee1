#!/bin/sh
# Dev-only: screenshots of the movie with the fake host, one per scenario, at 800x600.
# Usage: tests/movie/screenshots.sh [out-dir]
#   ENGINE=chromium (default; needs chromium) or ENGINE=webkit (WebKitGTK through webkit_shot.py,
#   under xvfb-run when there is no display).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-/tmp/movie-shots}
engine=${ENGINE:-chromium}
page=$(mktemp -d)
mkdir -p "$out"
cp "$here"/../../movie/* "$page"/
cp "$here"/../../tools/moviekit/fake_host.js "$page"/
sed -i 's|<script src="protocol.js">|<script src="fake_host.js"></script>\n&|' "$page"/index.html
for scenario in login hall failed installing playing menu about logout play-anyway nohost keys flow \
    server-down update-failed open-web; do
  url="file://$page/index.html#$scenario"
  if [ "$engine" = webkit ]; then
    run=""
    [ -n "${DISPLAY:-}" ] || run="xvfb-run -a -s '-screen 0 1280x1024x24 -noreset'"
    echo "$scenario: $(WEBKIT_DISABLE_COMPOSITING_MODE=1 eval "$run /usr/bin/python3 '$here/webkit_shot.py' '$url' '$out/$scenario.png'" 2>/dev/null | tail -1)"
  else
    profile=$(mktemp -d)
    chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
      --disable-component-update --disable-sync --user-data-dir="$profile" --window-size=800,600 \
      --virtual-time-budget=3000 --allow-file-access-from-files \
      --screenshot="$out/$scenario.png" "$url" >/dev/null 2>&1
    rm -rf "$profile"
  fi
done
rm -rf "$page"
echo "$out"
