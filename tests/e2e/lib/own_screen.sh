# Runs the calling test again under an X server of its own, of a fixed size, unless it already
# runs under one. Source it first: own_screen <screen spec> "$0" "$@" (e.g. "1280x1024x24").
own_screen() {
  local screen=$1
  shift
  [ -n "${ZEMBA_OWN_SCREEN:-}" ] && return 0
  command -v xvfb-run >/dev/null || { echo "no xvfb-run: skipped"; exit 77; }
  # -noreset: the server would reset when the last client leaves, and refuse the next start
  # that connects meanwhile; a test here starts the lobby several times.
  ZEMBA_OWN_SCREEN=1 exec xvfb-run -a -s "-screen 0 $screen -noreset" bash "$@"
}
