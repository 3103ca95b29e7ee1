#!/usr/bin/env bash
# Whole runs of the real publisher and updater with keys: the operator makes a key pair, puts
# the public key beside Vendrel and publishes signed releases. A signed release installs; a
# rewritten archive, an unsigned release and a malformed key file are refused (exit code 3, the
# window held so its line can be read); without a key file an unsigned release installs as
# before and Vendrel says updates are not authenticated; everything current exits 2.
# Usage: vendrel_signed.sh <Vendrel> <DemoGame> <zemba-publish>
vendrel_built=$1 demogame=$2 publish=$3
. "$(dirname "$0")/lib/frame.sh"
not_ok() { ! "$@" 2>/dev/null; }

# The lobby's directory: Vendrel and, beside it, the trusted keys.
lobby=$work/lobby
mkdir -p "$lobby"
cp "$vendrel_built" "$lobby/Vendrel"
vendrel=$lobby/Vendrel

mkdir -p "$work/keys"
check "keygen makes a key pair" "$publish" keygen --secret "$work/keys/secret.key" --public "$work/keys/UpdateKeys.pub"
check "the secret key file is private (mode 600)" test "$(stat -c %a "$work/keys/secret.key")" = 600
check "keygen never overwrites a key" not_ok "$publish" keygen --secret "$work/keys/secret.key" --public "$work/keys/other.pub"
cp "$work/keys/UpdateKeys.pub" "$lobby/UpdateKeys.pub"

stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null || { echo "FAIL - publishing"; exit 1; }
check "the signature lies beside the list archive" test -s "$work/www/zemba/demogame/101/UpdateList.xml.101.sig"
start_nginx "$work/www" "$work/nginx" || exit 1
mkdir -p "$work/install"

# run_vendrel <version> <prog>: sets rc and ms (how long it ran).
run_vendrel() {
  local start
  start=$(date +%s%N)
  rc=0
  timeout 60 "$vendrel" -name DemoGame -number "$1" -prog "$2" -down "$work/down" \
    -http "$NGINX_URL/zemba/demogame" 2>>"$work/vendrel.err" || rc=$?
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
}

run_vendrel 1.0.1 "$work/install/DemoGame"
check "a signed release installs (code $rc)" test "$rc" = 0
check "the installed tree equals the published one" diff -r -x Update.cfg "$work/release/DemoGame" "$work/install/DemoGame"
check "with the Update.cfg the release carries" cmp "$work/www/zemba/demogame/UpdateVersion.xml" "$work/install/DemoGame/Update.cfg"
check "the installed release is recorded in the state folder" \
  bash -c "grep -qx 'version=1.0.1' '$work/data/Zemba/Vendrel/'installed-*.txt"

run_vendrel 1.0.1 "$work/install/DemoGame"
check "everything current ends with code 2 (got $rc)" test "$rc" = 2

# 1.0.2, with its executable rewritten on the server and the list left as signed.
printf '演示游戏 1.0.2\n' > "$work/release/DemoGame/readme.txt"
"$publish" --name DemoGame --version 1.0.2 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null
cp "$work/www/zemba/demogame/101/readme.txt.101" "$work/www/zemba/demogame/102/readme.txt.102"
cp -r "$work/install" "$work/before"
run_vendrel 1.0.2 "$work/install/DemoGame"
check "an archive that is not the signed one is refused (code $rc)" test "$rc" = 3
check "the refusal stays on screen long enough to read (${ms} ms)" test "$ms" -ge 2500
check "the installed program is untouched" diff -r "$work/before" "$work/install"
check "nothing unverified is left in the download directory" \
  test -z "$(find "$work/down" -type f 2>/dev/null)"

# An unsigned 1.0.3 while a key is trusted.
"$publish" --name DemoGame --version 1.0.3 --program "$work/release/DemoGame" --root "$work/www" >/dev/null
run_vendrel 1.0.3 "$work/install/DemoGame"
check "an unsigned release is refused while a key is trusted (code $rc)" test "$rc" = 3

# A malformed key file refuses even what is signed.
printf 'not a key\n' > "$lobby/UpdateKeys.pub"
"$publish" --name DemoGame --version 1.0.4 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null
run_vendrel 1.0.4 "$work/install/DemoGame"
check "a malformed key file refuses every release (code $rc)" test "$rc" = 3

# No key file: the unsigned release installs as before, and the debug output says so.
rm "$lobby/UpdateKeys.pub"
: > "$work/vendrel.err"
run_vendrel 1.0.3 "$work/install/DemoGame"
check "without a key file an unsigned release installs (code $rc)" test "$rc" = 0
check "and Vendrel says updates are not authenticated" grep -q "not authenticated" "$work/vendrel.err"

if [ "$failures" -ne 0 ]; then
  echo "Vendrel's diagnostic output:"
  cat "$work/vendrel.err"
fi
finish
