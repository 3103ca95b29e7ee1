#!/usr/bin/env bash
# The demo: the whole system from a fresh clone. It sets up the machine and builds, installs the
# lobby as version 1.0.1 into a temporary program directory, makes a signing key pair whose public
# key the lobby's directory trusts, publishes the lobby itself as 1.0.2 and the demo game as 1.0.1
# with the project's publisher, every release signed, and serves them with nginx on
# 127.0.0.1. Quorvane 1.0.1 finds 1.0.2, Vendrel installs it and restarts the lobby, which then
# shows the sample movie. On a display you go on by hand (the demo says how); without one it
# runs under a virtual display and walks the same road with real clicks: log-in, installing the
# game, playing it, and updating it to a second version, saving screenshots into a folder it
# prints. A step that fails ends the demo with a non-zero code and names the step.
#   scripts/demo.sh              set up, build, run
#   scripts/demo.sh --run [--headless] [shots dir]   run only (ZEMBA_BUILD_DIR: the build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZEMBA_BUILD_DIR:-$root/build/release}

if [ "${1:-}" != "--run" ]; then
  bash scripts/setup.sh
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)"
  if [ -n "${DISPLAY:-}" ]; then
    exec bash "$0" --run
  fi
  echo "No \$DISPLAY: running under a virtual display with real clicks, taking screenshots."
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" --run --headless
fi

headless=0
[ "${2:-}" = "--headless" ] && headless=1
. "$root/scripts/lib/update_server.sh"
. "$root/scripts/lib/lobby.sh"
. "$root/scripts/lib/demo_steps.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/zemba-demo.XXXXXX")
shots=${3:-$work/screenshots}
mkdir -p "$shots"
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
export ZEMBA_DEMOGAME_REPORT=$work/game-started.txt
[ "$headless" = 1 ] && export WEBKIT_DISABLE_COMPOSITING_MODE=1
trap demo_cleanup EXIT
prog=$work/Zemba
title="Zemba 游戏大厅"

step "making the operator's signing key pair" make_keys "$build"
step "serving an empty update server" start_nginx "$work/www" "$work/nginx" 400k
step "publishing the lobby as 1.0.2, signed" publish_lobby "$build" "$work/release/Quorvane" "$work/www" 1.0.2
step "publishing DemoGame 1.0.1, signed" publish_demogame "$build" "$work/release/DemoGame" "$work/www" 1.0.1
step "installing the lobby 1.0.1 into $prog" install_old_lobby "$build" "$prog"
cat <<INTRO

== The update server is $NGINX_URL; the lobby 1.0.1 is in $prog.
Every release is signed with the key pair in $work/keys; the lobby's directory trusts its
public key (UpdateKeys.pub beside Vendrel), so Vendrel installs only what that key signed.
Quorvane starts, finds 1.0.2 on the server and hands over to Vendrel (the orange progress
window), which installs it and restarts the lobby. The new lobby shows the sample movie.
INTRO

step "starting Quorvane 1.0.1" start_lobby "$prog"
step "the self-update shows Vendrel" wait_window Vendrel 60
shot self-update
step "the updated lobby shows its window" wait_window "$title" 120
step "the lobby is now 1.0.2" grep -q 'version="1.0.2"' "$prog/Update.cfg"
step "its program is the published one" cmp -s "$work/release/Quorvane/Quorvane" "$prog/Quorvane"
step "the installed release is the signed one (recorded by Vendrel)" \
  grep -qx 'version=1.0.2' "$work/data/Zemba/Vendrel/"installed-*.txt
step "and only the new lobby runs" test "$(pgrep -c -f "^$prog/Quorvane")" = 1
step "the sample movie shows the log-in" wait_screen login 30
shot login

if [ "$headless" = 0 ]; then
  cat <<HAND

== Go on by hand in the lobby window:
  1. Log in with any account and password (there is no account server; 记住账号 remembers it).
  2. In the hall, press 安装 on 演示游戏: the updater installs it from the local server.
  3. Press 开始游戏: the demo game's window lists the arguments the lobby gave it.
  4. Close the game with 退出: the hall comes back.
  5. Close the lobby with × (it asks you to confirm the log-out).
Everything the demo made is in $work. The demo ends when the lobby ends.
HAND
  wait_lobby_end
  exit 0
fi

step "logging in" log_in demo
step "the hall shows" wait_screen hall 20
shot hall
step "pressing 安装 on 演示游戏" click_game_action DemoGame 1
step "Vendrel installs the game" wait_window Vendrel 30
shot game-installing
step "the lobby comes back after the install" wait_window "$title" 60
step "DemoGame 1.0.1 is installed" grep -q 'version="1.0.1"' "$prog/DemoGame/Update.cfg"
step "the hall shows the game as current" wait_game_state DemoGame current 20
shot hall-installed
step "pressing 开始游戏" click_game_action DemoGame 1
step "the game's window shows" wait_window DemoGame 30
step "the game got the lobby's arguments" grep -q '^arg -ip$' "$ZEMBA_DEMOGAME_REPORT"
shot game-running
step "closing the game" close_game
step "the lobby comes back after the game" wait_window "$title" 30
shot hall-after-game
step "publishing DemoGame 1.0.2, signed" publish_demogame "$build" "$work/release/DemoGame" "$work/www" 1.0.2
step "refreshing the hall" click_refresh
step "the hall offers 更新" wait_game_state DemoGame outdated 20
shot hall-update-offered
step "pressing 更新" click_game_action DemoGame 1
step "Vendrel updates the game" wait_window Vendrel 30
shot game-updating
step "the lobby comes back after the update" wait_window "$title" 60
step "DemoGame 1.0.2 is installed" grep -q 'version="1.0.2"' "$prog/DemoGame/Update.cfg"
step "the hall shows the game as current again" wait_game_state DemoGame current 20
shot hall-updated
echo
echo "== The demo walked the whole road. Screenshots: $shots"
