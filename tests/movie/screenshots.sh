#!/bin/sh
# Dev-only: screenshots of the movie with the fake host, one per scenario, at 800x600.
# Usage: tests/movie/screenshots.sh [out-dir]   (needs chromium)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-/tmp/movie-shots}
page=$(mktemp -d)
mkdir -p "$out"
cp "$here"/../../movie/* "$page"/
cp "$here"/fake_host.js "$page"/
sed -i 's|<script src="protocol.js">|<script src="fake_host.js"></script>\n&|' "$page"/index.html
for scenario in login hall failed installing playing menu about logout play-anyway nohost keys; do
  profile=$(mktemp -d)
  chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$profile" --window-size=800,600 \
    --virtual-time-budget=3000 --allow-file-access-from-files \
    --screenshot="$out/$scenario.png" "file://$page/index.html#$scenario" >/dev/null 2>&1
  rm -rf "$profile"
done
rm -rf "$page"
echo "$out"
