#!/bin/sh
# The starter page's script type-checks against movie/bridge.d.ts: the declarations describe
# what a page written from the reference really sends and receives.
# Usage: bridge_types.sh <source dir> <tsc>
set -eu
src=$1 tsc=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The page's one inline script, as a file of its own.
sed -n '/^<script>$/,/^<\/script>$/p' "$src/movie-starter/index.html" | sed '1d;$d' > "$work/starter.js"
[ -s "$work/starter.js" ] || { echo "FAIL - no script found in the starter page"; exit 1; }
cp "$src/movie/bridge.d.ts" "$work/"
printf '/// <reference path="bridge.d.ts" />\n' | cat - "$work/starter.js" > "$work/page.js"
"$tsc" --noEmit --allowJs --checkJs --strict false --noImplicitAny false --target es2020 \
  --lib es2020,dom "$work/bridge.d.ts" "$work/page.js"
echo "ok   - the starter page type-checks against bridge.d.ts"
