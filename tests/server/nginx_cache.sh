#!/usr/bin/env bash
# The shipped nginx configuration (server/nginx/origin.conf and proxy.conf, placeholders filled
# in, included in an http block as an installed nginx includes conf.d) in front of a release of
# the real publisher. Through the caching proxy:
# - two updaters install the same signed release one after the other: the origin serves the
#   list, its signature and every archive once;
# - the lobby's version check with two different "?a=" values reaches the origin once;
# - six clients asking at once for one archive nobody asked for before reach the origin once;
# - a download cut off part-way and resumed with Range and If-Range gets the rest from the cache;
# - the version check is kept a minute, and then the newly announced version is seen.
# The origin is throttled (a link slower than loopback), so the concurrent requests overlap.
# Prints the proxy's cache statuses of each step.
# Usage: nginx_cache.sh <Vendrel> <DemoGame> <zemba-publish>
vendrel_built=$1 demogame=$2 publish=$3
. "$(dirname "$0")/../e2e/lib/frame.sh"

conf=$root/server/nginx
origin_port=$(free_port)
proxy_port=$(free_port)
while [ "$proxy_port" = "$origin_port" ]; do proxy_port=$(free_port); done
proxy_url=http://127.0.0.1:$proxy_port

# fill <role>: the shipped <role>.conf with every placeholder filled, in the role's folder.
fill() {
  mkdir -p "$work/$1"
  sed -e "s|@ORIGIN_LISTEN@|127.0.0.1:$origin_port|g" -e "s|@ORIGIN_ADDRESS@|127.0.0.1:$origin_port|g" \
      -e "s|@PROXY_LISTEN@|127.0.0.1:$proxy_port|g" -e "s|@UPDATE_ROOT@|$work/www|g" \
      -e "s|@CACHE_DIR@|$work/cache|g" -e "s|@LOG_DIR@|$work/$1|g" "$conf/$1.conf" > "$work/$1/$1.conf"
  check "every placeholder of $1.conf is filled" not grep -q '^[^#]*@[A-Z_]*@' "$work/$1/$1.conf"
}

# serve <role> <http-level lines>: nginx, master and two workers, with the role's file included.
# The workers run as the test's user, who owns the work folder (nginx says so only when root).
serve() {
  local dir=$work/$1
  cat > "$dir/main.conf" <<CONF
daemon off;
user $(id -un) $(id -gn);
pid $dir/nginx.pid;
error_log $dir/error.log warn;
worker_processes 2;
events { worker_connections 256; }
http {
  client_body_temp_path $dir/body;
  proxy_temp_path $dir/proxy;
  fastcgi_temp_path $dir/fastcgi;
  uwsgi_temp_path $dir/uwsgi;
  scgi_temp_path $dir/scgi;
  $2
  include $dir/$1.conf;
}
CONF
  /usr/sbin/nginx -p "$dir/" -c "$dir/main.conf" -e "$dir/error.log" </dev/null >/dev/null 2>&1 &
  pids+=("$!")
}

# The lobby's and the updater's request: their agent, no-cache headers and HTTP/1.1.
client_get() {
  curl -s --http1.1 -A Vendrel -H 'Accept: */*' -H 'Pragma: no-cache' -H 'Cache-Control: no-cache' "$@"
}

# origin_count <path>: how many requests for the path (query left out, decoded) the origin got.
origin_count() {
  python3 - "$work/origin/zemba-origin.log" "$1" <<'PY'
import sys, urllib.parse
count = 0
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    request = line.split('"')[1].split(" ") if line.count('"') >= 2 else []
    if len(request) >= 2 and urllib.parse.unquote(request[1].split("?")[0]) == sys.argv[2]:
        count += 1
print(count)
PY
}

# proxy_statuses <from line>: the cache statuses the proxy logged since that line, counted.
proxy_lines() { wc -l < "$work/proxy/zemba-proxy.log"; }
proxy_statuses() {
  tail -n +"$(($1 + 1))" "$work/proxy/zemba-proxy.log" | sed -n 's/.* cache=\([A-Z-]*\)$/\1/p' |
    sort | uniq -c | awk '{printf "%s %s, ", $2, $1}' | sed 's/, $//'
}

# each_served_once <version folder below www>: every file in it reached the origin once.
each_served_once() {
  local dir=$1 bad=0 n=0 rel count
  while IFS= read -r rel; do
    n=$((n + 1))
    count=$(origin_count "/$dir/$rel")
    [ "$count" = 1 ] || { echo "     $rel: served $count times by the origin"; bad=1; }
  done < <(cd "$work/www/$dir" && find . -type f | sed 's|^\./||' | sort)
  echo "     $n files in $dir"
  [ "$bad" = 0 ] && [ "$n" -gt 0 ]
}

# --- A signed release of the demo game, as an operator publishes it ------------------------
lobby=$work/lobby
mkdir -p "$lobby" "$work/keys"
cp "$vendrel_built" "$lobby/Vendrel"
"$publish" keygen --secret "$work/keys/secret.key" --public "$lobby/UpdateKeys.pub" >/dev/null ||
  { echo "FAIL - making a key pair"; exit 1; }
stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null || { echo "FAIL - publishing 1.0.1"; exit 1; }

fill origin
fill proxy
serve origin "limit_rate 2m;"
serve proxy ""
# answers <url>: any HTTP answer at all (a 404 for a file nobody publishes is never cached).
answers() { [ "$(curl -s -o /dev/null -w '%{http_code}' "$1")" != 000 ]; }
check "the origin and the proxy answer" wait_until 10 answers "$proxy_url/zemba/nothing-here"
: > "$work/origin/zemba-origin.log"
: > "$work/proxy/zemba-proxy.log"

origin_headers=$(curl -s -D - -o /dev/null "http://127.0.0.1:$origin_port/zemba/demogame/101/readme.txt.101")
check "the origin marks a version folder's files immutable" \
  grep -qi '^Cache-Control: public, max-age=31536000, immutable' <<<"$origin_headers"
origin_headers=$(curl -s -D - -o /dev/null "http://127.0.0.1:$origin_port/zemba/demogame/UpdateVersion.xml")
check "the origin gives UpdateVersion.xml a minute" \
  grep -qi '^Cache-Control: public, max-age=60' <<<"$origin_headers"
: > "$work/origin/zemba-origin.log"

# --- Two updaters install 1.0.1 one after the other ---------------------------------------
for client in 1 2; do
  # "?a=" is the client's clock in seconds: the second client asks in another second.
  [ "$client" = 1 ] || sleep 1
  start=$(proxy_lines)
  mkdir -p "$work/client$client"  # the lobby's directory, where the game's folder is made
  rc=0
  timeout 120 "$lobby/Vendrel" -name DemoGame -number 1.0.1 -prog "$work/client$client/DemoGame" \
    -down "$work/down$client" -http "$proxy_url/zemba/demogame" 2>>"$work/vendrel.err" || rc=$?
  check "client $client installs 1.0.1 through the proxy (code $rc)" test "$rc" = 0
  check "client $client's program equals the published one" \
    diff -r -x Update.cfg "$work/release/DemoGame" "$work/client$client/DemoGame"
  echo "     proxy, client $client: $(proxy_statuses "$start")"
done
check "the origin served the list, its signature and every archive once" each_served_once zemba/demogame/101

# --- The version check ---------------------------------------------------------------------
start=$(proxy_lines)
checked_at=$SECONDS
for a in 1765000000 1765000042; do
  body=$(client_get "$proxy_url/zemba/demogame/UpdateVersion.xml?a=$a")
  check "the version check ?a=$a names 1.0.1" grep -q 'version="1.0.1"' <<<"$body"
done
served=$(origin_count /zemba/demogame/UpdateVersion.xml)
check "two version checks with different ?a= reach the origin once (got $served)" test "$served" = 1
echo "     proxy, version checks: $(proxy_statuses "$start")"

# --- 1.0.2 with two large files: six clients at once, and a resumed download -------------
head -c 6000000 /dev/urandom > "$work/release/DemoGame/data/movie.pak"
head -c 6000000 /dev/urandom > "$work/release/DemoGame/data/voice.pak"
"$publish" --name DemoGame --version 1.0.2 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null || { echo "FAIL - publishing 1.0.2"; exit 1; }
archive=zemba/demogame/102/data/movie.pak.102
start=$(proxy_lines)
fetchers=()
for i in 1 2 3 4 5 6; do
  client_get -o "$work/parallel$i" "$proxy_url/$archive?a=$((1765000100 + i))" &
  fetchers+=("$!")
done
for p in "${fetchers[@]}"; do wait "$p"; done
same=0
for i in 1 2 3 4 5 6; do cmp -s "$work/parallel$i" "$work/www/$archive" && same=$((same + 1)); done
check "six clients at once all get the archive ($same of 6 whole)" test "$same" = 6
served=$(origin_count "/$archive")
check "six concurrent misses for one archive reach the origin once (got $served)" test "$served" = 1
echo "     proxy, six at once: $(proxy_statuses "$start")"

archive=zemba/demogame/102/data/voice.pak.102
start=$(proxy_lines)
client_get -D "$work/cut.head" -o "$work/cut.part" --limit-rate 500k --max-time 1 "$proxy_url/$archive?a=1765000200"
kept=$(stat -c %s "$work/cut.part")
etag=$(sed -n 's/^[Ee][Tt][Aa][Gg]: *\(".*"\)\r\{0,1\}$/\1/p' "$work/cut.head")
check "the cut-off download kept part of the archive ($kept bytes, validator $etag)" \
  test "$kept" -gt 0 -a "$kept" -lt "$(stat -c %s "$work/www/$archive")" -a -n "$etag"
client_get -D "$work/rest.head" -o "$work/rest.part" -H "Range: bytes=$kept-" -H "If-Range: $etag" \
  "$proxy_url/$archive?a=1765000201"
check "the resumed request is answered with the rest (206)" grep -q '^HTTP/1.1 206' "$work/rest.head"
check "the rest starts where the cut-off download ended" grep -qi "^Content-Range: bytes $kept-" "$work/rest.head"
check "the kept part and the rest make the archive" cmp -s <(cat "$work/cut.part" "$work/rest.part") "$work/www/$archive"
served=$(origin_count "/$archive")
check "the cut-off and the resumed download reach the origin once (got $served)" test "$served" = 1
echo "     proxy, cut off and resumed: $(proxy_statuses "$start")"

# --- 1.0.2 was announced by its publishing: the proxy tells it once the minute is over -----
wait_seconds=$((checked_at + 62 - SECONDS))
[ "$wait_seconds" -le 0 ] || sleep "$wait_seconds"
start=$(proxy_lines)
body=$(client_get "$proxy_url/zemba/demogame/UpdateVersion.xml?a=1765000300")
check "a minute after the first check, the version check names 1.0.2" grep -q 'version="1.0.2"' <<<"$body"
served=$(origin_count /zemba/demogame/UpdateVersion.xml)
check "and it asked the origin again (got $served in all)" test "$served" = 2
echo "     proxy, the version check a minute later: $(proxy_statuses "$start")"

if [ "$failures" -ne 0 ]; then
  echo "origin requests:"; cat "$work/origin/zemba-origin.log"
  echo "proxy requests:"; cat "$work/proxy/zemba-proxy.log"
  echo "errors:"; cat "$work/origin/error.log" "$work/proxy/error.log"
  tail -n 20 "$work/vendrel.err"
fi
finish
