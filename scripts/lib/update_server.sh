# Shell helpers shared by scripts/demo.sh and the updater's whole-run test: stage the demo game,
# publish it, and serve the server root with nginx on 127.0.0.1. Source this file.

# stage_demogame <demogame binary> <dir>: a program directory for DemoGame with a few data files
# of different sizes (random, so the archives do not shrink and the bar has something to show).
stage_demogame() {
  local bin=$1 dir=$2
  mkdir -p "$dir/data" "$dir/关卡"
  cp "$bin" "$dir/DemoGame"
  chmod 755 "$dir/DemoGame"
  printf '演示游戏 1.0.1\n' > "$dir/readme.txt"
  head -c 300000 /dev/urandom > "$dir/data/textures.pak"
  head -c 180000 /dev/urandom > "$dir/data/sounds.pak"
  head -c 120000 /dev/urandom > "$dir/关卡/第一关.map"
  head -c 60000 /dev/urandom > "$dir/关卡/第二关.map"
}

# free_port: a TCP port on 127.0.0.1 that nobody listens on right now.
free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# start_nginx <server root> <work dir> [rate]: serves the root, optionally throttled per
# connection (e.g. 200k); sets NGINX_PID and NGINX_URL. Fails when nginx does not answer.
start_nginx() {
  local root=$1 dir=$2 rate=${3:-0} port
  mkdir -p "$dir"
  port=$(free_port)
  cat > "$dir/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 64; }
http {
  access_log $dir/access.log;
  client_body_temp_path $dir/body;
  proxy_temp_path $dir/proxy;
  fastcgi_temp_path $dir/fastcgi;
  uwsgi_temp_path $dir/uwsgi;
  scgi_temp_path $dir/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $root;
    limit_rate $rate;
  }
}
CONF
  /usr/sbin/nginx -p "$dir/" -c "$dir/nginx.conf" -e "$dir/error.log" </dev/null >/dev/null 2>&1 &
  NGINX_PID=$!
  NGINX_URL="http://127.0.0.1:$port"
  for _ in $(seq 50); do
    curl -s -o /dev/null "$NGINX_URL/" && return 0
    sleep 0.1
  done
  echo "nginx did not start:" >&2
  cat "$dir/error.log" >&2
  return 1
}

stop_nginx() {
  if [ -n "${NGINX_PID:-}" ]; then
    kill "$NGINX_PID" 2>/dev/null || true
    wait "$NGINX_PID" 2>/dev/null || true
    NGINX_PID=
  fi
}

# window_geometry <title>: "x y width height" of the first window with exactly that title.
window_geometry() {
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) || return 1
  [ -n "$id" ] || return 1
  xdotool getwindowgeometry --shell "$id" | awk -F= '
    /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2}
    END {print x, y, w, h}'
}

# window_id <title>: the X id of the first visible window with exactly that title.
window_id() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1
}

# bar_complete <picture of the window alone>: true when the rounded right end is drawn: its
# body is yellow and its top right corner shows the dark track, where a plain segment would be
# yellow. Only the right end is looked at, so a window over the middle of the bar does not matter.
bar_complete() {
  local corner body
  corner=$(convert "$1" -crop 1x1+545+29 +repage -format '%[fx:int(255*r)] %[fx:int(255*g)]' info: 2>/dev/null)
  body=$(convert "$1" -crop 1x1+541+38 +repage -format '%[fx:int(255*r)] %[fx:int(255*g)]' info: 2>/dev/null)
  read -r cr cg <<<"$corner"
  read -r br bg <<<"$body"
  [ -n "${cr:-}" ] && [ -n "${br:-}" ] && [ "$cr" -lt 200 ] && [ "$cg" -lt 150 ] &&
    [ "$br" -gt 200 ] && [ "$bg" -gt 150 ]
}

# bar_segments <screenshot> <window x> <window y>: how many of the 65 bar places show yellow.
bar_segments() {
  local shot=$1 x=$2 y=$3
  convert "$shot" -crop "528x1+$((x + 18))+$((y + 38))" +repage txt:- 2>/dev/null |
    sed -n 's/^\([0-9]*\),0: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' | awk '
      $1 >= 11 && ($1 - 8) % 8 == 3 && $2 > 200 && $3 > 150 && $4 < 160 { n++ }
      END { print n + 0 }'
}
