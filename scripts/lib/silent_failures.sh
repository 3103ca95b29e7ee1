# silent_failures <build dir>: names each failed test of the build's last ctest run that printed
# nothing at all, so that a program that never ran (or died before its first line) is told
# apart from a test that failed with a message. Reads ctest's own log of the run.
silent_failures() {
  local log=$1/Testing/Temporary/LastTest.log
  [ -f "$log" ] || return 0
  awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name) }
    /^Output:$/ { getline; inside = 1; printed = 0; next }
    /^<end of output>$/ { inside = 0; next }
    inside { if ($0 != "") printed = 1; next }
    /^Test Failed\.$/ && !printed { print "  " name ": failed and printed nothing" }
  ' "$log"
}
