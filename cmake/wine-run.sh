#!/bin/bash
# Runs a Windows test program under Wine, as the test runner's cross-compiling emulator.
#
# The first start in a prefix creates it and brings up Wine's session processes; a second start
# during that time can find the prefix half made. So starts take turns under a lock until the
# run's wineserver is up with its session, and every later start finds it ready. The wineserver
# stays up for ten idle minutes, so it never shuts down between two tests of a run (a server
# that stops while a test starts takes that start down with it); the test script ends it.
#
# The program's output is kept and printed when it ends, so that two cases can be told apart:
# a failure of Wine's own (its own message) is run once more, after showing what the first run
# printed; a program that failed without printing anything is reported as such.
set -u

prefix=${WINEPREFIX:-$HOME/.wine}
prefix=${prefix%/}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT

start_session() {
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      # A new prefix: Wine makes it with a short-lived server of its own; wait until that one has
      # saved the prefix and gone, so the run's server below is the persistent one.
      wine cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
      wineserver -w </dev/null >/dev/null 2>&1 9>&-
    fi
    # 0: this call started the server, so its session processes are started here, with their
    # output detached (they would otherwise hold the runner's pipe); 2: one runs already. Wine
    # gets no copy of the lock, or its processes would hold it for the whole run.
    if wineserver -p600 </dev/null >/dev/null 2>&1 9>&-; then
      wine cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$prefix.lock"
}

# A test program (one run with a gtest filter) marks that it began before any other code of its
# own runs (tests/main/TestMain.cpp); the mark goes to this run's scratch folder, named as
# Windows sees it through Wine's drive Z:.
test_program=0
case " $* " in *" --gtest_"*) test_program=1 ;; esac
mark_path=$scratch/started
mark_windows="Z:${mark_path//\//\\}"

# A test program that failed without its start mark never ran: Wine failed to start it, even
# when it said nothing (it happens rarely, in 0.03 s, exit code 1, no word at all).
never_started() {
  [ "$test_program" = 1 ] && [ ! -e "$mark_path" ] && [ ! -s "$scratch/out" ]
}

# A test program that reported its tests passed and was then killed (SIGKILL: nothing of ours
# sends it; seen once in forty runs, as a program with detached threads ended under Wine): its
# own result is lost on its way out, as in the loader's exit race below.
killed_after_passing() {
  [ "$test_program" = 1 ] && [ "$code" = 137 ] && grep -q '^\[  PASSED  \]' "$scratch/out"
}

# Wine's own words when it failed, as against anything the program printed or a crash inside
# it: it could not start the program (its loader or the server connection; the program printed
# nothing), or the host's dynamic loader gave up inside Wine's process as it ended (a race in
# glibc's exit path that Wine's threads can hit: the program's own result is lost with it).
wine_failed_itself() {
  never_started || killed_after_passing ||
    { [ ! -s "$scratch/out" ] &&
        grep -Eq '^(wine: (could not|cannot|failed to)|wine client error|wineserver: )' "$scratch/err"; } ||
    grep -q '^Inconsistency detected by ld\.so: ' "$scratch/err"
}

run_once() {
  rm -f "$mark_path"
  ZEMBA_STARTED_MARK=$mark_windows wine "$@" >"$scratch/out" 2>"$scratch/err" </dev/null &
  child=$!
  wait "$child"
  code=$?
  child=
}

# A test that times out is ended by the runner: still show what it printed.
on_signal() {
  [ -n "${child:-}" ] && kill "$child" 2>/dev/null
  cat "$scratch/out" 2>/dev/null
  cat "$scratch/err" >&2 2>/dev/null
  exit 124
}
trap on_signal TERM INT HUP

start_session
run_once "$@"
if [ "$code" -ne 0 ] && wine_failed_itself; then
  if killed_after_passing; then
    echo "wine-run: $1 was killed (SIGKILL) after its tests passed; its result was lost on its way out:" >&2
  elif never_started; then
    echo "wine-run: $1 never started: Wine ended it before any of its code ran (exit code $code):" >&2
  else
    echo "wine-run: Wine itself failed running $1 (exit code $code):" >&2
  fi
  cat "$scratch/out"
  cat "$scratch/err" >&2
  echo "wine-run: running $1 once more" >&2
  start_session
  run_once "$@"
fi
cat "$scratch/out"
cat "$scratch/err" >&2
if [ "$code" -ne 0 ] && [ ! -s "$scratch/out" ] && [ ! -s "$scratch/err" ]; then
  echo "wine-run: $1 ended with exit code $code and printed nothing" >&2
fi
exit "$code"
