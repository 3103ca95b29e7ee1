#!/bin/bash
# The Wine test runner's own rules (cmake/wine-run.sh), with stand-ins for wine and wineserver
# that behave as told: first starts take turns, a failure of Wine's own is run once more and
# says so, a crash or a silent failure of the program is not, and a silent one is named.
set -u
runner=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FAKE=$work WINEPREFIX=$work/prefix TMPDIR=$work
mkdir -p "$work/bin"
export PATH=$work/bin:$PATH
failures=0
checks=0
check() { checks=$((checks + 1)); if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

# wineserver -pN: 0 when it starts the server, 2 when one runs already.
cat > "$work/bin/wineserver" <<'EOF'
#!/bin/bash
case "$1" in
  -p*) mkdir "$FAKE/server" 2>/dev/null && exit 0; exit 2 ;;
esac
exit 0
EOF
# wine cmd.exe: makes the prefix when there is none, and brings the session up, slowly.
# wine <mode>: a program that behaves as its name says; attempts are counted per mode. A run
# that reaches the program's own code leaves the start mark, as the test programs' main does.
cat > "$work/bin/wine" <<'EOF'
#!/bin/bash
if [ "$1" = cmd.exe ]; then
  echo "session starting" >> "$FAKE/log"
  sleep 0.5
  mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/system.reg"
  echo "session up" >> "$FAKE/log"
  exit 0
fi
n=$(( $(cat "$FAKE/count-$1" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$FAKE/count-$1"
echo "run $1" >> "$FAKE/log"
mark=${ZEMBA_STARTED_MARK#Z:}
mark=${mark//\\//}
case "$1:$n" in
  never-started-once:1|refuse-once:1|refuse-always:*|plain-silent:*) ;;
  *) touch "$mark" ;;
esac
case "$1:$n" in
  never-started-once:1) exit 1 ;;
  killed-on-exit-once:1) echo "[  PASSED  ] 1 test."; kill -9 $$ ;;
  killed-on-exit-once:*) echo "[  PASSED  ] 1 test."; exit 0 ;;
  killed-failing:*) echo "[  FAILED  ] 1 test."; kill -9 $$ ;;
  never-started-once:*) echo "[  PASSED  ] 1 test."; exit 0 ;;
  plain-silent:*) exit 3 ;;
  pass:*) echo "[  PASSED  ] 1 test."; exit 0 ;;
  refuse-once:1|refuse-always:*) echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 1 ;;
  refuse-once:*) echo "[  PASSED  ] 1 test."; exit 0 ;;
  exit-race-once:1) echo "[  PASSED  ] 1 test."; echo "Inconsistency detected by ld.so: dl-fini.c: 87: _dl_fini: Assertion failed!" >&2; exit 127 ;;
  exit-race-once:*) echo "[  PASSED  ] 1 test."; exit 0 ;;
  crash:*) echo "[ RUN      ] Crashes"; echo "wine: Unhandled page fault on read access to 0000000000000000" >&2; exit 5 ;;
  silent:*) exit 3 ;;
esac
exit 99
EOF
chmod +x "$work/bin/wine" "$work/bin/wineserver"
attempts() { cat "$work/count-$1" 2>/dev/null || echo 0; }

# Three first starts at once in a new prefix: no program runs before the session is up, and the
# session is brought up by one of them only (once to make the prefix, once for the server).
for i in 1 2 3; do "$runner" pass >"$work/pass$i.out" 2>&1 & done
wait
check "three first starts all pass" '[ "$(cat "$work"/pass*.out | grep -c PASSED)" = 3 ]'
check "no program runs before the session is up" \
  '[ "$(grep -n "^run" "$work/log" | head -n 1 | cut -d: -f1)" -gt "$(grep -n "session up" "$work/log" | tail -n 1 | cut -d: -f1)" ]'
check "the session is started by one start only" '[ "$(grep -c "session starting" "$work/log")" = 2 ]'

# run <mode> [<more arguments>]: a test program is run with a gtest filter.
run() { "$runner" "$1" "${2---gtest_filter=T.t}" >"$work/$1.out" 2>"$work/$1.err"; echo $? >"$work/$1.code"; }
run refuse-once
check "a start Wine refused is run once more and passes" '[ "$(cat "$work/refuse-once.code")" = 0 ] && [ "$(attempts refuse-once)" = 2 ]'
check "the second run is announced" 'grep -q "running refuse-once once more" "$work/refuse-once.err"'
run refuse-always
check "a refused start is run once more only" '[ "$(cat "$work/refuse-always.code")" != 0 ] && [ "$(attempts refuse-always)" = 2 ]'
run exit-race-once
check "a loader failure as Wine ends is run once more" '[ "$(cat "$work/exit-race-once.code")" = 0 ] && [ "$(attempts exit-race-once)" = 2 ]'
run crash
check "a crash in the program is not run again" '[ "$(cat "$work/crash.code")" = 5 ] && [ "$(attempts crash)" = 1 ]'
run silent
check "a silent failure is not run again" '[ "$(cat "$work/silent.code")" = 3 ] && [ "$(attempts silent)" = 1 ]'
check "a silent failure is named" 'grep -q "silent ended with exit code 3 and printed nothing" "$work/silent.err"'
run never-started-once
check "a test program that never began (no start mark, no word from Wine) is run once more" \
  '[ "$(cat "$work/never-started-once.code")" = 0 ] && [ "$(attempts never-started-once)" = 2 ]'
check "and the runner says it never started" 'grep -q "never-started-once never started" "$work/never-started-once.err"'
run killed-on-exit-once
check "a test program killed after it passed is run once more" \
  '[ "$(cat "$work/killed-on-exit-once.code")" = 0 ] && [ "$(attempts killed-on-exit-once)" = 2 ]'
run killed-failing
check "a test program killed after it failed is not run again" \
  '[ "$(cat "$work/killed-failing.code")" = 137 ] && [ "$(attempts killed-failing)" = 1 ]'
run plain-silent --plain
check "a program that is not a test program is not judged by the mark" \
  '[ "$(cat "$work/plain-silent.code")" = 3 ] && [ "$(attempts plain-silent)" = 1 ]'

echo "$(( checks - failures )) passed, $failures failed"
[ "$failures" = 0 ]
