# Shell helpers of the demo and the lobby's whole-program tests: an installed program
# directory, the scripted movie's server, and waiting for what the movie or the window shows.
# Source after update_server.sh.

# install_lobby <build dir> <program dir> <update url> [movie file]: the program directory of
# `cmake --install`, pointed at the given update server, titled "QuorvaneTest", playing the
# given movie (default: the installed one).
install_lobby() {
  local build=$1 prog=$2 url=$3 movie=${4:-}
  cmake --install "$build" --prefix "$prog" --strip >/dev/null || return 1
  sed -i -e "s#<UpdateUrl>.*</UpdateUrl>#<UpdateUrl>$url</UpdateUrl>#" \
         -e 's#title="[^"]*"#title="QuorvaneTest"#' "$prog/Config.cfg"
  if [ -n "$movie" ]; then
    mkdir -p "$prog/testmovie"
    cp "$movie" "$prog/testmovie/index.html"
    sed -i 's#>movie/index.html<#>testmovie/index.html<#' "$prog/Config.cfg"
  fi
}

# start_movie_server <root> <work dir>: serves the root and the scripted movie's channel; sets
# MOVIE_PID, MOVIE_URL, MOVIE_PORT and MOVIE_LOG.
start_movie_server() {
  local root=$1 dir=$2
  mkdir -p "$root" "$dir"
  MOVIE_LOG=$dir/movie.log
  : > "$MOVIE_LOG"
  rm -f "$dir/port"
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib/movie_server.py" "$root" "$dir/port" "$MOVIE_LOG" &
  MOVIE_PID=$!
  for _ in $(seq 100); do
    [ -s "$dir/port" ] && break
    sleep 0.05
  done
  MOVIE_PORT=$(cat "$dir/port" 2>/dev/null)
  MOVIE_URL="http://127.0.0.1:$MOVIE_PORT"
  [ -n "$MOVIE_PORT" ]
}

# use_scripted_movie <program dir>: the scripted test movie, talking to the movie server.
use_scripted_movie() {
  local prog=$1
  mkdir -p "$prog/testmovie"
  sed "s#@PORT@#$MOVIE_PORT#" "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/movie/scripted.html" \
    > "$prog/testmovie/index.html"
  sed -i 's#>movie/index.html<#>testmovie/index.html<#' "$prog/Config.cfg"
}

# serve_version <root> <corp> <program> <version>: the update server's version file.
serve_version() {
  local dir
  dir="$1/$(echo "$2" | tr 'A-Z' 'a-z')/$(echo "$3" | tr 'A-Z' 'a-z')"
  mkdir -p "$dir"
  printf '<?xml version="1.0"?><Update><Software version="%s">%s</Software></Update>' "$4" "$3" \
    > "$dir/UpdateVersion.xml"
}

# movie_do <javascript>: the scripted movie runs it within about 50 ms.
movie_do() {
  curl -s -o /dev/null --data-binary "$1" "$MOVIE_URL/push"
}

# wait_log <extended regex> [seconds]: true once a line of the movie's log matches.
wait_log() {
  local pattern=$1 seconds=${2:-20}
  for _ in $(seq $((seconds * 10))); do
    grep -Eq -- "$pattern" "$MOVIE_LOG" && return 0
    sleep 0.1
  done
  echo "# no log line matches '$pattern'; the log:" >&2
  sed 's/^/#   /' "$MOVIE_LOG" >&2
  return 1
}

# count_log <extended regex>: how many lines of the movie's log match.
count_log() {
  grep -Ec -- "$1" "$MOVIE_LOG"
}

# wait_window <title> [seconds]: sets GEOMETRY once a visible window has that title.
wait_window() {
  local title=$1 seconds=${2:-60}
  GEOMETRY=
  for _ in $(seq $((seconds * 10))); do
    GEOMETRY=$(window_geometry "$title") && return 0
    sleep 0.1
  done
  return 1
}

# wait_no_window <title> [seconds]: true once no visible window has that title.
wait_no_window() {
  local title=$1 seconds=${2:-20}
  for _ in $(seq $((seconds * 10))); do
    [ -z "$(window_id "$title")" ] && return 0
    sleep 0.1
  done
  return 1
}

# pixel <png> <x> <y>: "r g b" of one pixel.
pixel() {
  convert "$1" -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info: 2>/dev/null
}
